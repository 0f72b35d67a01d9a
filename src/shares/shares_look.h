#pragma once

#include <QColor>
#include <QString>

class QLineEdit;
class SymbolButton;
class QWidget;

// The look shared by the local shares page, its cards and the tag editor.
namespace SharesLook {

// Width of the label that starts each row of a card.
inline constexpr int labelWidth = 100;
// The room around each row of a card, on every side.
inline constexpr int rowPadding = 10;
inline constexpr int iconSize = 16;
// Height of what a card holds, and the room between it and the card's outline.
inline constexpr int cardContentHeight = 140;
inline constexpr int cardPadding = 10;

// A one-line entry field: rounded border, "editTextColor", 12 pixel font.
QLineEdit *entryField(QWidget *parent, const char *name, const QString &placeholder);

// An entry field for a value the user changes elsewhere: it cannot be typed into, and its tinted
// background says so, but its text can be selected and copied.
QLineEdit *displayField(QWidget *parent, const char *name, const QString &placeholder);

// A borderless symbol button tinted "activeButton", reached with Tab, with toolTip saying what it
// does.
SymbolButton *iconButton(QWidget *parent, const char *name, const char *symbol, const QString &toolTip);

// The colour of the masked access code.
QColor accessCodeColor();

} // namespace SharesLook
