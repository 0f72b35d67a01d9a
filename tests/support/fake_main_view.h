#pragma once

#include "bridge_interfaces.h"

#include <QStringList>

#include <functional>

// Holds the receive-files state as the main window does and counts its toasts and writes.
class FakeMainView final : public MainViewInterface
{
public:
    void showToast(const QString &title) override { toasts << title; }
    CtlViewReceiveFile ctlViewReceiveFile() const override { return state; }
    void setCtlViewReceiveFile(const CtlViewReceiveFile &newState) override
    {
        state = newState;
        ++writes;
        if (onChanged)
            onChanged();
    }

    CtlViewReceiveFile state;
    QStringList toasts;
    int writes = 0;
    // Run after every write, as the main window tells its sheet.
    std::function<void()> onChanged;
};
