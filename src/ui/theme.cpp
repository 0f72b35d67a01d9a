#include "theme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPalette>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleOption>
#include <QStyleFactory>
#include <QSvgRenderer>

// The resources of a static library are registered by hand; outside any namespace.
static void initUiResources()
{
    Q_INIT_RESOURCE(ui_resources);
}

namespace {

void ensureResources()
{
    static const bool done = (initUiResources(), true);
    Q_UNUSED(done);
}

const QHash<QString, QColor> &colorTable()
{
    // A calm blue family with one red for closing and removing; legible on the light palette.
    static const QHash<QString, QColor> table = {
        {QStringLiteral("ColorMain0"), QColor(0x1f, 0x7f, 0xc4)},
        {QStringLiteral("navDisabled"), QColor(0x9a, 0xa5, 0xb1)},
        {QStringLiteral("activeBorder"), QColor(0x5a, 0xaa, 0xe2)},
        {QStringLiteral("navBG"), QColor(0xec, 0xf1, 0xf6)},
        {QStringLiteral("bannerBorder"), QColor(0xc5, 0xd3, 0xe0)},
        {QStringLiteral("frameBorder"), QColor(0xb4, 0xc2, 0xd0)},
        {QStringLiteral("btnRed"), QColor(0xe0, 0x48, 0x4d)},
        {QStringLiteral("editTextColor"), QColor(0x1d, 0x29, 0x35)},
        {QStringLiteral("activeButton"), QColor(0x1f, 0x7f, 0xc4)},
        {QStringLiteral("green"), QColor(0x2f, 0xb3, 0x5a)},
        {QStringLiteral("red"), QColor(0xe5, 0x39, 0x35)},
        {QStringLiteral("yellow"), QColor(0xf2, 0xb2, 0x00)},
        {QStringLiteral("gray"), QColor(0x8e, 0x8e, 0x93)},
    };
    return table;
}

QString symbolResource(const QString &symbol)
{
    return QStringLiteral(":/ui/icons/%1.svg").arg(symbol);
}

// The drawing of symbol with its "currentColor" painted in tint; empty when there is none.
QByteArray tintedSvg(const QString &symbol, const QColor &tint)
{
    ensureResources();
    if (symbol.isEmpty() || symbol.contains(QLatin1Char('/')))
        return {};
    QFile file(symbolResource(symbol));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = file.readAll();
    const QColor colour = tint.isValid() ? tint : QGuiApplication::palette().color(QPalette::WindowText);
    svg.replace("currentColor", colour.name(QColor::HexRgb).toLatin1());
    if (colour.alpha() < 255) {
        // SVG Tiny has no alpha in colours: carry it as the opacity of the whole drawing.
        svg.replace("<svg ", QByteArray("<svg opacity=\"") + QByteArray::number(colour.alphaF()) + "\" ");
    }
    return svg;
}

QPixmap renderSvg(const QByteArray &svg, const QSize &size, qreal devicePixelRatio, qreal opacity)
{
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(svg);
    if (!renderer.isValid() || size.isEmpty())
        return pixmap;
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(opacity);
    // Keep the drawing's square shape inside a non-square request.
    const int side = qMin(size.width(), size.height());
    const QRectF target((size.width() - side) / 2.0, (size.height() - side) / 2.0, side, side);
    renderer.render(&painter, target);
    return pixmap;
}

// Paints a tinted drawing afresh at whatever size an icon is asked for, so symbols stay sharp.
class TintedSvgIconEngine final : public QIconEngine
{
public:
    explicit TintedSvgIconEngine(QByteArray svg) : m_svg(std::move(svg)) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, renderSvg(m_svg, rect.size(), ratio, opacityFor(mode)));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State) override
    {
        return renderSvg(m_svg, size, 1.0, opacityFor(mode));
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State, qreal scale) override
    {
        return renderSvg(m_svg, size, scale, opacityFor(mode));
    }

    QIconEngine *clone() const override { return new TintedSvgIconEngine(m_svg); }

private:
    static qreal opacityFor(QIcon::Mode mode) { return mode == QIcon::Disabled ? 0.4 : 1.0; }

    QByteArray m_svg;
};

// Fusion with a focus frame one sees at a glance: check boxes and lists draw theirs through
// PE_FrameFocusRect, which Fusion keeps faint.
class ClearFocusStyle final : public QProxyStyle
{
public:
    explicit ClearFocusStyle(QStyle *base) : QProxyStyle(base) {}

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        if (element != PE_FrameFocusRect) {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            return;
        }
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(QPen(Theme::color(QStringLiteral("activeBorder")), 1.5));
        painter->setBrush(Qt::NoBrush);
        painter->drawRoundedRect(QRectF(option->rect).adjusted(0.75, 0.75, -0.75, -0.75), 3, 3);
        painter->restore();
    }
};

} // namespace

QColor Theme::color(const QString &name)
{
    return colorTable().value(name);
}

QStringList Theme::colorNames()
{
    QStringList names = colorTable().keys();
    names.sort();
    return names;
}

bool Theme::hasSymbol(const QString &symbol)
{
    ensureResources();
    return symbol != QLatin1String("fenmar") && !symbol.contains(QLatin1Char('/'))
        && QFile::exists(symbolResource(symbol));
}

QStringList Theme::symbolNames()
{
    ensureResources();
    QStringList names;
    const QStringList files = QDir(QStringLiteral(":/ui/icons")).entryList({QStringLiteral("*.svg")}, QDir::Files);
    for (const QString &file : files) {
        const QString name = file.chopped(4);
        if (name != QLatin1String("fenmar"))
            names.append(name);
    }
    return names;
}

QIcon Theme::icon(const QString &symbol, const QColor &tint)
{
    if (!hasSymbol(symbol))
        return {};
    return QIcon(new TintedSvgIconEngine(tintedSvg(symbol, tint)));
}

QPixmap Theme::symbolPixmap(const QString &symbol, const QSize &size, const QColor &tint, qreal devicePixelRatio)
{
    if (!hasSymbol(symbol))
        return {};
    return renderSvg(tintedSvg(symbol, tint), size, devicePixelRatio, 1.0);
}

QPixmap Theme::logo(int width, qreal devicePixelRatio)
{
    ensureResources();
    QFile file(symbolResource(QStringLiteral("fenmar")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return renderSvg(file.readAll(), QSize(width, width), devicePixelRatio, 1.0);
}

QIcon Theme::logoIcon()
{
    ensureResources();
    QFile file(symbolResource(QStringLiteral("fenmar")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QIcon(new TintedSvgIconEngine(file.readAll()));
}

QFont Theme::font(int pixelSize, QFont::Weight weight)
{
    QFont font;
    // Noto Sans CJK carries good Latin letters too; DejaVu covers what it lacks.
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    return font;
}

void Theme::applyToApplication(QApplication &app)
{
    ensureResources();
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Fusion")))
        app.setStyle(new ClearFocusStyle(style));

    QPalette palette = app.style()->standardPalette();
    palette.setColor(QPalette::Window, QColor(0xf7, 0xf9, 0xfb));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::AlternateBase, QColor(0xf0, 0xf4, 0xf8));
    palette.setColor(QPalette::WindowText, QColor(0x1d, 0x29, 0x35));
    palette.setColor(QPalette::Text, QColor(0x1d, 0x29, 0x35));
    palette.setColor(QPalette::ButtonText, QColor(0x1d, 0x29, 0x35));
    palette.setColor(QPalette::Button, QColor(0xf1, 0xf4, 0xf7));
    palette.setColor(QPalette::Highlight, color(QStringLiteral("ColorMain0")));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, color(QStringLiteral("ColorMain0")));
    palette.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xf4));
    palette.setColor(QPalette::ToolTipText, QColor(0x1d, 0x29, 0x35));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x9a, 0xa5, 0xb1));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x9a, 0xa5, 0xb1));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x9a, 0xa5, 0xb1));
    app.setPalette(palette);

    app.setFont(font(13));
    app.setWindowIcon(logoIcon());
}
