#pragma once

class QColor;
class QWidget;

// Gives widget's text this colour on any background: a label on a white (Base) parent draws in
// the Text role, on a grey one in WindowText.
void setTextColor(QWidget *widget, const QColor &color);
