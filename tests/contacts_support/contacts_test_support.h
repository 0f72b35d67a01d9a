#pragma once

#include "bridge_interfaces.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <ostream>

void PrintTo(const QString &text, std::ostream *os);

namespace ContactsTest {

// Processes events until pred holds or timeoutMs passes; the result of pred.
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 5000);
// Processes events for about ms.
void spin(int ms);

// Puts the bridge layer back to its start and opens a fresh database in the test's HOME.
void resetAll();

// A file of size bytes (its content varies so that a truncated copy shows).
void writeFile(const QString &path, qint64 size);

// Every file below folder, relative to it, sorted; hidden ones included.
QStringList filesBelow(const QString &folder);

} // namespace ContactsTest

// Holds the receive-files state as the main window does and counts its toasts.
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
