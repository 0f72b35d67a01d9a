#pragma once

#include <QtGlobal>

#include <functional>

// The main screen's scale: device pixels per point of the primary screen. Screens belong to the
// GUI thread, so they are only looked at there.
namespace MainScreen {

// The scale where there is no screen (no GUI application, or no screen attached): the asker
// draws on its own screen, which is typically a high-density one.
constexpr qreal scaleWithoutScreen = 2.0;

// Calls use with the scale as it is now: at once when called on the GUI thread or where there
// is no GUI application, else queued to the GUI thread (and not at all if it quits first).
void withScale(std::function<void(qreal scale)> use);

} // namespace MainScreen
