#pragma once

// The login sheet over the main window. It signs the user in through the bridge: once the user
// has pressed the login button it sends "Login" at the first tick of its own one-second timer on
// which the bridge is connected, and gives up 8 ticks later. It remembers the e-mail and password
// while "remember me" is on, and offers a downloaded new version. Made once by the main window;
// its state lives for the whole run (a relogin after a bridge restart uses what was typed).

#include "bridge_interfaces.h"
#include "sheet_dialog.h"
#include "user_info.h"

#include <QString>
#include <QTimer>

#include <functional>

class DialogConfirmSetting;
class DialogConfirmView;
class DialogLoading;
class DialogLoadingSetting;
class DialogLoadingSheet;
class QCheckBox;
class QLineEdit;
class QMessageBox;
class QPushButton;
class QStackedWidget;

enum class LoginState : quint8 {
    lsNone,
    lsStartLogin,
    lsStartLoginAnoymous,
    lsLoginSubmited,
    lsLoginResultBack,
    lsTimeout,
};

class LoginView final : public SheetDialog, public LoginViewInterface
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoginView)

public:
    static constexpr int sheetWidth = 648;
    static constexpr int sheetHeight = 468;
    // Ticks after sending "Login" without a result before the sheet gives up.
    static constexpr qint64 loginTimeoutTicks = 8;
    // The buttons replace the waiting indicator at this tick after the sheet first appeared.
    static constexpr qint64 buttonsFromTick = 3;

    explicit LoginView(QWidget *parent = nullptr);
    ~LoginView() override;

    // State, as tests and the main window read it.
    LoginState iLoginState() const { return m_iLoginState; }
    qint64 iLoginTimeCounter() const { return m_iLoginTimeCounter; }
    qint64 timerCounter() const { return m_timerCounter; }
    bool isRememberMe() const;
    bool isShowLoading() const { return m_isShowLoading; }
    bool isShowConfirmDialog() const { return m_isShowConfirmDialog; }
    bool isShowUpgradeDialog() const { return m_isShowUpgradeDialog; }
    QString strEmail() const;
    QString strPassword() const;
    QString strUpgradeVersionFile() const { return m_strUpgradeVersionFile; }
    DialogConfirmSetting &dialogConfirmSetting() { return *m_dialogConfirmSetting; }
    DialogLoadingSetting &dialogLoadingSetting() { return *m_dialogLoadingSetting; }
    QTimer &timer() { return m_timer; }

    // One tick of the sheet's timer: sends the pending login once the bridge is connected and
    // gives up when no result came in time.
    void onTimerTick();
    void onLoginButton();
    // Shows the sheet's own message panel with only an OK button.
    void showConfirm(const QString &title, const QString &message);

    // The login result (through the login result handler).
    void onLoginSucceeded(const QString &text, UserInfo record);
    void showLoginFailed();

    // LoginViewInterface: the version check found a newer installer on disk.
    void offerUpgrade(const QString &installerPath) override;
    void onUpgradeConfirmed();

    // The cancel button: stops the bridge, then ends the program. Tests replace how it ends.
    void onCancelButton();
    void setQuitProgramForTests(std::function<void()> quit) { m_quitProgram = std::move(quit); }

signals:
    // A successful login made a new record the process-wide account record.
    void accountReplaced();

public slots:
    // The sheet leaves only through a login, an accepted upgrade or the cancel button.
    void reject() override {}

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void buildLayout();
    void onAppear();
    void onRememberMeChanged(bool isRememberMe);
    void setShowLoading(bool shown);
    void closeSheet();
    void callSubaccountInit();
    void updateButtonRow();

    // Looked up and held; the sheet shows none of the four.
    QString m_Sys_Initing;
    QString m_Sys_LoginIn;
    QString m_Sys_Loading;
    QString m_Sys_SubTitle;

    bool m_isShowLoading = false;
    DialogLoadingSetting *m_dialogLoadingSetting;
    bool m_isShowUpgradeDialog = false;
    QString m_strUpgradeVersionFile;
    bool m_isDiableInput = false;
    QTimer m_timer;
    qint64 m_timerCounter = 0;
    bool m_isShowConfirmDialog = false;
    DialogConfirmSetting *m_dialogConfirmSetting;
    LoginState m_iLoginState = LoginState::lsNone;
    qint64 m_iLoginTimeCounter = 0;

    std::function<void()> m_quitProgram;

    QLineEdit *m_email = nullptr;
    QLineEdit *m_password = nullptr;
    QCheckBox *m_rememberMe = nullptr;
    QStackedWidget *m_buttonRow = nullptr;
    DialogLoading *m_waiting = nullptr;
    DialogLoadingSetting *m_waitingSetting = nullptr;
    QPushButton *m_login = nullptr;
    QPushButton *m_cancel = nullptr;
    DialogLoadingSheet *m_loadingSheet = nullptr;
    DialogConfirmView *m_confirmView = nullptr;
    QMessageBox *m_upgradeDialog = nullptr;
};
