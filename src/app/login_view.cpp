#include "login_view.h"

#include "bridge_link.h"
#include "bridge_supervisor.h"
#include "build_settings.h"
#include "console.h"
#include "control_requests.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "env.h"
#include "installer_handoff.h"
#include "localization.h"
#include "login_result.h"
#include "p2p_client_msg.h"
#include "remembered_login.h"
#include "util_db.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QStackedWidget>
#include <QUrl>

namespace {

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

LoginView::LoginView(QWidget *parent)
    : SheetDialog(parent),
      m_Sys_Initing(localizedString(QStringLiteral("Sys_Initing"))),
      m_Sys_LoginIn(localizedString(QStringLiteral("Sys_LoginIn"))),
      m_Sys_Loading(localizedString(QStringLiteral("Sys_Loading"))),
      m_Sys_SubTitle(localizedString(QStringLiteral("Sys_SubTitle"))),
      m_dialogLoadingSetting(new DialogLoadingSetting(QStringLiteral("Initialing, Pleae wait..."), this)),
      m_dialogConfirmSetting(new DialogConfirmSetting(this)),
      m_quitProgram([] { QCoreApplication::exit(0); })
{
    setObjectName(QStringLiteral("loginSheet"));
    setFixedSize(sheetWidth, sheetHeight);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &LoginView::onTimerTick);

    buildLayout();

    m_loadingSheet = new DialogLoadingSheet(m_dialogLoadingSetting, this);
    m_loadingSheet->setObjectName(QStringLiteral("loginLoadingSheet"));
    // The loading sheet also closes itself at its limit.
    connect(m_loadingSheet, &QDialog::finished, this, [this] { m_isShowLoading = false; });

    m_confirmView = new DialogConfirmView(m_dialogConfirmSetting, this);
    m_confirmView->setObjectName(QStringLiteral("loginMessageDialog"));
    connect(m_confirmView, &QDialog::finished, this, [this] { m_isShowConfirmDialog = false; });

    m_upgradeDialog = new QMessageBox(this);
    m_upgradeDialog->setObjectName(QStringLiteral("upgradeDialog"));
    m_upgradeDialog->setWindowModality(Qt::WindowModal);
    m_upgradeDialog->setIcon(QMessageBox::Question);
    m_upgradeDialog->setText(localizedString(QStringLiteral("Settings_UpgradeConfirm")));
    QPushButton *upgradeNow =
        m_upgradeDialog->addButton(localizedString(QStringLiteral("Settings_UpgradeNow")), QMessageBox::DestructiveRole);
    upgradeNow->setObjectName(QStringLiteral("upgradeNowButton"));
    QPushButton *dismiss = m_upgradeDialog->addButton(localizedString(QStringLiteral("Cancel")), QMessageBox::RejectRole);
    dismiss->setObjectName(QStringLiteral("upgradeDismissButton"));
    // Installing quits the program: as in every question whose answer destroys something, a bare
    // Return dismisses it, even with the keyboard on the other button.
    upgradeNow->setAutoDefault(false);
    m_upgradeDialog->setDefaultButton(dismiss);
    connect(m_upgradeDialog, &QDialog::finished, this, [this, upgradeNow] {
        m_isShowUpgradeDialog = false;
        if (m_upgradeDialog->clickedButton() == upgradeNow)
            onUpgradeConfirmed();
    });
}

LoginView::~LoginView()
{
    if (Env::globalLoginView == this)
        Env::globalLoginView = nullptr;
}

QString LoginView::strEmail() const
{
    return m_email->text();
}

QString LoginView::strPassword() const
{
    return m_password->text();
}

bool LoginView::isRememberMe() const
{
    return m_rememberMe->isChecked();
}

void LoginView::showEvent(QShowEvent *event)
{
    SheetDialog::showEvent(event);
    // A sheet shown again with its window after being minimised keeps what the user typed.
    if (!event->spontaneous())
        onAppear();
}

void LoginView::hideEvent(QHideEvent *event)
{
    // Minimised, the sheet is still open and its login goes on.
    if (!event->spontaneous())
        m_timer.stop();
    SheetDialog::hideEvent(event);
}

void LoginView::onAppear()
{
    Env::globalLoginView = this;
    m_timer.start();

    if (UtilDB::getIcon(QLatin1String(UtilDB::keyIsRememberMe)).isEmpty())
        UtilDB::setIcon(QLatin1String(UtilDB::keyIsRememberMe), QStringLiteral("1"));
    // Turning the switch off here clears what an earlier run remembered (onRememberMeChanged).
    m_rememberMe->setChecked(RememberedLogin::isOn());
    if (m_rememberMe->isChecked()) {
        m_email->setText(UtilDB::getIcon(QLatin1String(UtilDB::keyLoginEmail)));
        m_password->setText(UtilDB::getIcon(QLatin1String(UtilDB::keyLoginPassword)));
    }
    updateButtonRow();
}

void LoginView::onRememberMeChanged(bool isRememberMe)
{
    RememberedLogin::setOn(isRememberMe);
}

void LoginView::onTimerTick()
{
    m_timerCounter += 1;
    updateButtonRow();
    Console::printLine(boolText(Env::isBridgeConnected) + QStringLiteral(" iLoginTimeCounter ")
                       + QString::number(m_iLoginTimeCounter));

    if (Env::isBridgeConnected && m_iLoginState == LoginState::lsStartLogin) {
        m_iLoginState = LoginState::lsLoginSubmited;
        m_iLoginTimeCounter = 0;
        BridgeLink::sendLogin(strEmail(), strPassword());
    }
    if (m_iLoginState == LoginState::lsLoginSubmited && m_iLoginTimeCounter >= loginTimeoutTicks) {
        m_iLoginState = LoginState::lsTimeout;
        setShowLoading(false);
        // Shown as they stand, in every language.
        showConfirm(QStringLiteral("Login Timeout!"), QStringLiteral("Please try again later."));
    }
    if (m_iLoginState == LoginState::lsLoginSubmited)
        m_iLoginTimeCounter += 1;
}

void LoginView::onLoginButton()
{
    // The same title in every language.
    m_dialogLoadingSetting->setTitle(QStringLiteral("Logging in..."));
    setShowLoading(true);
    m_iLoginState = LoginState::lsStartLogin;
}

void LoginView::showConfirm(const QString &title, const QString &message)
{
    m_dialogConfirmSetting->setTitle(title);
    m_dialogConfirmSetting->setInfo(message);
    m_dialogConfirmSetting->setIsBtnCancel(false);
    m_isShowConfirmDialog = true;
    m_confirmView->open();
}

void LoginView::onLoginSucceeded(const QString &text, UserInfo record)
{
    Console::printLine(LoginResult::printable(text));
    m_iLoginState = LoginState::lsLoginResultBack;
    setShowLoading(false);
    // Remembered only while the stored setting asks for it: this also runs for the automatic
    // sign-in after a bridge restart, when the settings page may have turned it off since.
    RememberedLogin::rememberIfOn(strEmail(), strPassword());
    // The bridge link logs in again with these after every reconnection.
    record.email = strEmail();
    record.password = strPassword();
    Env::userInfo = record;
    emit accountReplaced();
    // Closing comes after the record is in place: the main window reloads the shares of the
    // account that has just signed in.
    closeSheet();
    callSubaccountInit();
}

void LoginView::showLoginFailed()
{
    m_iLoginState = LoginState::lsLoginResultBack;
    setShowLoading(false);
    showConfirm(localizedString(QStringLiteral("Login_LoginFailed")),
                localizedString(QStringLiteral("Login_CheckYourInfo")));
}

void LoginView::callSubaccountInit()
{
    CallHttpInfo info;
    info.URL = QString::fromUtf8(BuildSettings::apiBaseUrl) + QStringLiteral("subaccount/init/?email=")
               + QString::fromLatin1(QUrl::toPercentEncoding(strEmail()));
    info.Timeout = 6;
    P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), info, true, &P2PClientMsg::ignoreReply);
}

void LoginView::offerUpgrade(const QString &installerPath)
{
    if (!isVisible())
        return;
    m_strUpgradeVersionFile = installerPath;
    m_isShowUpgradeDialog = true;
    // Each offer starts on the dismiss control, wherever the keyboard was left last time.
    m_upgradeDialog->defaultButton()->setFocus();
    m_upgradeDialog->open();
}

void LoginView::onUpgradeConfirmed()
{
    // The sheet closes only once the installer is open: it opens once per run, so closing it
    // before a failed open would leave the user signed out with no way to sign in.
    if (Env::openInstallerAndQuit(m_strUpgradeVersionFile)) {
        closeSheet();
        return;
    }
    showConfirm(localizedString(QStringLiteral("Settings_UpgradeFailed")),
                localizedString(QStringLiteral("Settings_UpgradeOpenFailed")).arg(m_strUpgradeVersionFile));
}

void LoginView::onCancelButton()
{
    // The bridge goes with the program: no relaunch may start one after it has gone.
    Env::cancelPendingRelaunch();
    Env::clearBridge();
    m_quitProgram();
}

void LoginView::setShowLoading(bool shown)
{
    m_isShowLoading = shown;
    if (shown)
        m_loadingSheet->open();
    else if (m_loadingSheet->isVisible())
        m_loadingSheet->done(QDialog::Accepted);
}

void LoginView::closeSheet()
{
    if (isVisible())
        done(QDialog::Accepted);
}
