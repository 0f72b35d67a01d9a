#pragma once

class QWidget;

// Where the keyboard goes when the control that had it closes, goes or is turned off: into the
// part of the window the user was working in, never to whatever control the window happens to
// list first (Qt's own choice, which is the account badge in the banner).
namespace FocusReturn {

// The widget is there to take the keyboard: shown and on.
bool canTake(const QWidget *widget);

// Gives the keyboard to the first control inside area in Tab order (area itself, a list's scroll
// area say, does not count); false, changing nothing, when area holds none that can take it.
bool toFirstControl(QWidget *area);

} // namespace FocusReturn
