#include "divider.h"

#include <QFrame>

QFrame *makeDivider(Qt::Orientation orientation, QWidget *parent)
{
    auto *divider = new QFrame(parent);
    divider->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    if (orientation == Qt::Horizontal)
        divider->setFixedHeight(1);
    else
        divider->setFixedWidth(1);
    divider->setStyleSheet(QStringLiteral("color: #dfe5eb; background: #dfe5eb;"));
    return divider;
}
