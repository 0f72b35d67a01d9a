#pragma once

#include <Qt>

class QFrame;
class QWidget;

// A one-pixel line in the interface's soft divider colour, across or down its space.
QFrame *makeDivider(Qt::Orientation orientation, QWidget *parent);
