#pragma once

#include <QString>

class QLabel;
class QPushButton;
class QWidget;

// Small pieces shared by the contacts page, its form and the receive sheet.
namespace ContactWidgets {

// The one button of a panel that moves the work on (Send, Accept): filled in the main colour.
void stylePrimaryButton(QPushButton *button);

// A label that shows its text as it is (never as rich text), named for tests and styles.
QLabel *plainLabel(QWidget *parent, const QString &name, const QString &text = QString());

// Paints a label's text in one of the theme's colours.
void setTextColor(QLabel *label, const QString &colorName);

} // namespace ContactWidgets
