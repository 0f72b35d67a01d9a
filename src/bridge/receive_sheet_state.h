#pragma once

#include <QString>

// State of the receive-files sheet, held by the main window. A contact's delivery offer fills it
// from the bridge layer; the sheet changes it as the user decides.
enum class ViewReceiveState { vrsRunning, vrsFinished, vrsStopped, vrsCanceld, vrsWaiting };

struct CtlViewReceiveFile {
    bool isShowView = false;
    QString Summary;
    QString Session;
    QString FromUser;
    QString UUID;
    ViewReceiveState vrsState = ViewReceiveState::vrsWaiting;
    // "0" while the user has not decided, "2" after a refusal, else the folder accepted to save into.
    QString taskState = QStringLiteral("0");
    double iCountDown = 30.0;
};
