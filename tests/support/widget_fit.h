#pragma once

#include <QStringList>

class QWidget;

// What a person would find cut under root as it is laid out now: every shown widget that is given
// less room than it needs to show its text or control whole, or that reaches out of its parent
// (the content of a scroll area may be taller or wider than what shows of it). One line per cut,
// naming the widget, its size and what it needs.
QStringList cutWidgets(QWidget *root);
