#include "theme.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>

namespace {

// The share of opaque pixels of image whose colour is close to colour.
double shareOf(const QImage &image, const QColor &colour)
{
    int opaque = 0;
    int matching = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() < 250)
                continue;
            ++opaque;
            if (qAbs(c.red() - colour.red()) < 8 && qAbs(c.green() - colour.green()) < 8 && qAbs(c.blue() - colour.blue()) < 8)
                ++matching;
        }
    }
    return opaque == 0 ? 0.0 : double(matching) / opaque;
}

TEST(Theme, EveryNamedColourOfTheInterfaceIsDefined)
{
    for (const char *name : {"ColorMain0", "navDisabled", "activeBorder", "navBG", "bannerBorder", "frameBorder",
                             "btnRed", "editTextColor", "activeButton", "green", "red", "yellow", "gray"}) {
        EXPECT_TRUE(Theme::color(QString::fromLatin1(name)).isValid()) << name;
    }
    EXPECT_FALSE(Theme::color(QStringLiteral("noSuchColour")).isValid());
    // The selected navigation item must stand out from the others.
    EXPECT_NE(Theme::color(QStringLiteral("ColorMain0")), Theme::color(QStringLiteral("navDisabled")));
    EXPECT_NE(Theme::color(QStringLiteral("activeBorder")), Theme::color(QStringLiteral("navBG")));
}

TEST(Theme, EverySymbolThePagesUseIsDrawnInItsTint)
{
    UiTest::useEnglishLook();
    const QStringList used = {
        "globe", "person.icloud.fill", "gearshape.circle.fill", "person.crop.circle.fill", "multiply.circle.fill",
        "info.square.fill", "folder.fill.badge.gearshape", "rectangle.and.pencil.and.ellipsis", "square.and.pencil",
        "plus.rectangle.fill", "minus.circle.fill", "bolt.fill", "lock.square", "checkmark", "xmark",
        "folder.fill", "doc.fill", "trash.fill", "arrow.down.circle.fill", "arrow.up.circle.fill", "chevron.left",
        "arrow.clockwise", "desktopcomputer", "person.2.fill", "paperplane.fill", "plus.circle.fill", "pencil"};
    const QColor tint(0x20, 0x80, 0xc0);
    for (const QString &symbol : used) {
        ASSERT_TRUE(Theme::hasSymbol(symbol)) << symbol.toStdString();
        EXPECT_TRUE(Theme::symbolNames().contains(symbol)) << symbol.toStdString();
        const QImage image = Theme::symbolPixmap(symbol, QSize(32, 32), tint).toImage();
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_GT(shareOf(image, tint), 0.3) << symbol.toStdString() << " is not painted in its tint";

        const QIcon icon = Theme::icon(symbol, tint);
        ASSERT_FALSE(icon.isNull()) << symbol.toStdString();
        const QImage big = icon.pixmap(QSize(64, 64)).toImage();
        EXPECT_EQ(big.size(), QSize(64, 64)) << "icons are drawn afresh at the size asked";
        EXPECT_GT(shareOf(big, tint), 0.3) << symbol.toStdString();
    }
    EXPECT_FALSE(Theme::hasSymbol(QStringLiteral("no.such.symbol")));
    EXPECT_TRUE(Theme::icon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_FALSE(Theme::hasSymbol(QStringLiteral("../icons/fenmar")));
}

TEST(Theme, LogoIsDrawn)
{
    const QImage logo = Theme::logo(60, 2.0).toImage();
    EXPECT_EQ(logo.size(), QSize(120, 120));
    EXPECT_EQ(logo.pixelColor(60, 60).alpha(), 255);
    EXPECT_FALSE(Theme::logoIcon().isNull());
}

TEST(Theme, FontDrawsLatinAndChinese)
{
    const QFont font = Theme::font(13);
    EXPECT_EQ(font.pixelSize(), 13);
    const QFontMetrics metrics(font);
    for (const char32_t c : {U'A', U'z', U'7', U'\u4E2D', U'\u6587', U'\u786E'})
        EXPECT_TRUE(metrics.inFontUcs4(c)) << unsigned(c);
    EXPECT_TRUE(QFontInfo(font).family().contains(QStringLiteral("Noto Sans CJK"))
                || QFontInfo(font).family().contains(QStringLiteral("DejaVu")))
        << QFontInfo(font).family().toStdString();
}

} // namespace
