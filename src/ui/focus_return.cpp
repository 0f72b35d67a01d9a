#include "focus_return.h"

#include <QWidget>

namespace FocusReturn {

bool canTake(const QWidget *widget)
{
    return widget && widget->isVisible() && widget->isEnabled();
}

bool toFirstControl(QWidget *area)
{
    if (!area)
        return false;
    // The window's focus chain is its Tab order.
    QWidget *window = area->window();
    for (QWidget *widget = window->nextInFocusChain(); widget != window; widget = widget->nextInFocusChain()) {
        if (widget != area && area->isAncestorOf(widget) && (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus
            && !widget->focusProxy() && canTake(widget)) {
            widget->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}

} // namespace FocusReturn
