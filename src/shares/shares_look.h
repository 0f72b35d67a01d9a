#pragma once

#include <QColor>
#include <QString>

class QLineEdit;
class QToolButton;
class QWidget;

// The look shared by the local shares page, its cards and the tag editor.
namespace SharesLook {

// The title of the open panel that picks a folder to share.
inline constexpr char panelTitle[] = "Choose one file or folder";

// Width of the label that starts each row of a card.
inline constexpr int labelWidth = 100;
inline constexpr int rowPadding = 10;
inline constexpr int rowSpacing = 8;
inline constexpr int iconSize = 16;
// Height of one share's card, its outline included.
inline constexpr int cardHeight = 140;

// A one-line entry field: rounded border, "editTextColor", 12 pixel font.
QLineEdit *entryField(QWidget *parent, const char *name, const QString &placeholder);

// An entry field for a value the user changes elsewhere: it cannot be typed into, and its tinted
// background says so, but its text can be selected and copied.
QLineEdit *displayField(QWidget *parent, const char *name, const QString &placeholder);

// A borderless symbol button tinted "activeButton".
QToolButton *iconButton(QWidget *parent, const char *name, const char *symbol);

// The colour of the masked access code.
QColor accessCodeColor();

} // namespace SharesLook
