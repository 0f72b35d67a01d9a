#pragma once

#include <QLocale>
#include <QStringList>

class QWidget;

// The two languages the interface is written in; layout checks run in both.
inline const QLocale englishAndChinese[] = {QLocale(QLocale::English, QLocale::UnitedStates),
                                            QLocale(QLocale::Chinese, QLocale::China)};

// What a person would find cut under root as it is laid out now: every shown widget that is given
// less room than it needs to show its text or control whole, or that reaches out of its parent
// (the content of a scroll area may be taller or wider than what shows of it). One line per cut,
// naming the widget, its size and what it needs.
QStringList cutWidgets(QWidget *root);

// How long a horizontal line widget draws along its middle row, in pixels: the points of that row
// that differ from the row at its top edge as it paints itself.
int paintedLineLength(QWidget *widget);
