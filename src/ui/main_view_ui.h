#pragma once

// What the pages of every feature need of the main window beyond what the bridge layer asks of
// it: toasts in each look, and the window's one confirm dialog and one input dialog. The main
// window registers itself with setCurrent() when it is shown; pages reach it through current().

#include "bridge_interfaces.h"

class AlertToast;
class DialogConfirmSetting;
class DialogInput_Setting;

class MainViewUi : public MainViewInterface
{
public:
    MainViewUi() = default;
    // Clears the registration when the registered window goes away.
    ~MainViewUi() override;
    Q_DISABLE_COPY_MOVE(MainViewUi)

    // The registered main window, or nullptr before it is first shown and after it is gone.
    // GUI thread only; the window is not owned.
    static MainViewUi *current();
    // Registers view (nullptr clears); replaces any earlier registration.
    static void setCurrent(MainViewUi *view);

    // Shows toast over the window for the window's toast time, replacing a toast still showing.
    virtual void presentToast(const AlertToast &toast) = 0;

    // A text-only notice. Implemented through presentToast.
    void showToast(const QString &title) override;
    // The green "Sys_Update_Succ" or red "Sys_Update_Failed" result toast, localised.
    void showUpdateResult(bool isSucc);

    // The window's confirm dialog: write the settings the use relies on, then show it.
    virtual DialogConfirmSetting &dialogConfirmSetting() = 0;
    virtual void showConfirmDialog() = 0;

    // The window's input dialog: call configure() on its settings, then show it.
    virtual DialogInput_Setting &dialogInputSetting() = 0;
    virtual void showInputDialog() = 0;
};
