#pragma once

// The application: its start-up sequence, then its one window.

#include <QtGlobal>

#include <memory>

class MainView;

class FenmarMacApp final
{
public:
    // The start-up sequence, in this order: the greeting, the program's own instance, the
    // database, and a restart of the bridge (any bridge still running is killed, a new one starts
    // half a second later). Needs the QApplication.
    FenmarMacApp();
    Q_DISABLE_COPY_MOVE(FenmarMacApp)

    // The main window, made and shown.
    std::unique_ptr<MainView> body();
};
