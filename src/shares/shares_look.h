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
inline constexpr int rowPadding = 10;
inline constexpr int rowSpacing = 8;
inline constexpr int iconSize = 16;
// Height of one share's card, its outline included.
inline constexpr int cardHeight = 140;
// What a narrow card adds for the row its first two rows' ends move to.
inline constexpr int compactRowHeight = 36;

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
