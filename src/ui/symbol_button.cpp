#include "symbol_button.h"

#include "theme.h"

#include <QKeyEvent>
#include <QPainter>

SymbolButton::SymbolButton(const QString &symbol, const QColor &tint, const QString &toolTip, QWidget *parent)
    : QToolButton(parent)
{
    setIcon(Theme::icon(symbol, tint));
    setIconSize(QSize(18, 18));
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setToolTip(toolTip);
    setAccessibleName(toolTip);
}

SymbolButton::~SymbolButton() = default;

void SymbolButton::keyPressEvent(QKeyEvent *event)
{
    // A tool button answers only Space by itself; people press Return on a button as well.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        if (isEnabled())
            animateClick();
        event->accept();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void SymbolButton::paintEvent(QPaintEvent *event)
{
    QToolButton::paintEvent(event);
    if (hasFocus())
        paintFocusRing(this, rect(), 4);
}

void paintFocusRing(QWidget *widget, const QRect &rect, qreal radius)
{
    QPainter painter(widget);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Theme::color(QStringLiteral("activeBorder")), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect).adjusted(1, 1, -1, -1), radius, radius);
}
