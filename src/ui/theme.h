#pragma once

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QStringList>

class QApplication;

// The program's look: its named colours, its symbol icons, its logo and its fonts.
//
// Colours are asked for by name: the interface's own names ("ColorMain0", "navDisabled",
// "activeBorder", "navBG", "bannerBorder", "frameBorder", "btnRed", "editTextColor",
// "activeButton") and the plain "green", "red", "yellow" and "gray" of result marks and symbols.
// Symbols are asked for by their dotted names ("globe", "multiply.circle.fill", ...); each is a
// small drawing bundled with the program, painted in the colour it is given.
class Theme final
{
public:
    Theme() = delete;

    // The colour of name; an invalid QColor for a name the table lacks.
    static QColor color(const QString &name);
    // Every name color() knows.
    static QStringList colorNames();

    // True when a drawing of the symbol is bundled.
    static bool hasSymbol(const QString &symbol);
    // Every bundled symbol.
    static QStringList symbolNames();
    // The symbol painted in tint (the text colour when tint is invalid), sharp at every size.
    // A symbol without a drawing gives a null icon.
    static QIcon icon(const QString &symbol, const QColor &tint = QColor());
    // The same painted once into a pixmap of size (logical pixels) at devicePixelRatio.
    static QPixmap symbolPixmap(const QString &symbol, const QSize &size, const QColor &tint,
                                qreal devicePixelRatio = 1.0);

    // The focus ring of a button filled with the program's blue: dark enough to stand out on it.
    static QColor focusOnBlue() { return QColor(0x0b, 0x3d, 0x66); }

    // The product's logo, square, width logical pixels wide.
    static QPixmap logo(int width, qreal devicePixelRatio = 1.0);
    static QIcon logoIcon();

    // The interface font: one that draws both Latin and Chinese well, at a size in pixels (the
    // layout's sizes are in the same unit).
    static QFont font(int pixelSize, QFont::Weight weight = QFont::Normal);

    // Gives the application its style, palette, font and window icon. Call once after the
    // QApplication exists.
    static void applyToApplication(QApplication &app);
};
