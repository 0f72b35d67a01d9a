#pragma once

// The application's one window: banner, side navigation and pages, and the interface state the
// whole program shares (selected page, the account's shares, toast, the confirm and input
// dialogs, the login sheet, the receive-files sheet). Its one-second timer keeps the bridge alive
// and refreshes the account's host name. GUI thread only.

#include "alert_toast.h"
#include "main_view_ui.h"
#include "receive_sheet_state.h"
#include "user_info.h"

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <array>
#include <memory>

class DialogConfirmSetting;
class DialogConfirmView;
class DialogInputView;
class DialogInput_Setting;
class HostNameFetcher;
class LoginResultProcessor;
class LoginView;
class Main_BannerView;
class QStackedWidget;
class QWidget;
class SharingObjList;
class SideNavItemView;
class ToastOverlay;

class MainView final : public QMainWindow, public MainViewUi
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainView)

public:
    // Page indices, in page order. No control selects the page for sending files to contacts.
    enum Page : qint64 { pageLocalShares = 0, pageRemoteHosts = 1, pageSendFiles = 2, pageSettings = 3 };
    static constexpr int pageCount = 4;
    static constexpr int minimumWidth = 640;
    static constexpr int minimumHeight = 480;

    explicit MainView(QWidget *parent = nullptr);
    ~MainView() override;

    // Page state: exactly one page is shown; each navigation button takes the colour asset names
    // of its page's entries.
    const std::array<bool, pageCount> &isShowingView() const { return m_isShowingView; }
    const std::array<QString, pageCount> &colorShowingView() const { return m_colorShowingView; }
    const std::array<QString, pageCount> &colorShowingViewBorder() const { return m_colorShowingViewBorder; }
    qint64 iViewIndex() const { return m_iViewIndex; }
    // Shows page p and gives its button the selected look, every other one the unselected look.
    void selectPage(qint64 p);

    // The four page titles in the current language, in page order.
    static QStringList pageTitles();

    // The account record as the window shows it: the process-wide one, which the login replaces.
    const UserInfo &userInfo() const;
    // The login sheet made the new record the process-wide one.
    void onUserInfoReplaced();

    SharingObjList &sharingObjList() { return *m_sharingObjList; }
    // Replaces the shares with all shares of the current account.
    void reloadSharingList();

    bool isShowLogin() const { return m_isShowLogin; }
    LoginView &loginSheet() { return *m_loginView; }

    qint64 timerCounter() const { return m_timerCounter; }
    QTimer &timer() { return m_timer; }
    HostNameFetcher &hostNameFetcher() { return *m_hostNameFetcher; }

    bool isShowToast() const { return m_isShowToast; }
    const AlertToast &alertToast() const { return m_alertToast; }
    ToastOverlay &toastOverlay() { return *m_toastOverlay; }

    // MainViewInterface
    CtlViewReceiveFile ctlViewReceiveFile() const override { return m_ctlViewReceiveFile; }
    void setCtlViewReceiveFile(const CtlViewReceiveFile &state) override;

    // MainViewUi
    void presentToast(const AlertToast &toast) override;
    DialogConfirmSetting &dialogConfirmSetting() override { return *m_dialogConfirmSetting; }
    void showConfirmDialog() override;
    DialogInput_Setting &dialogInputSetting() override { return *m_dialogInputSetting; }
    void showInputDialog() override;
    bool isShowConfirmDialog() const { return m_isShowConfirmDialog; }
    bool isShowDialog_Input() const { return m_isShowDialog_Input; }

    // One tick of the one-second timer: the bridge's connection cycle, every fifth tick the
    // host-name request, then the bridge watchdog.
    void onTimerTick();

signals:
    void pageSelected(qint64 page);
    void userInfoChanged();
    void isShowLoginChanged(bool shown);
    void ctlViewReceiveFileChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void buildLayout();
    QWidget *buildNavigation();
    QWidget *buildPageContent();
    void onAppear();
    void setIsShowLogin(bool shown);
    // Gives the keyboard to the shown page's first control.
    void focusPage();
    void fetchHostName();
    void onHostNameReported(const QString &hostName);

    std::array<bool, pageCount> m_isShowingView{true, false, false, false};
    std::array<QString, pageCount> m_colorShowingView;
    std::array<QString, pageCount> m_colorShowingViewBorder;
    qint64 m_iViewIndex = 0;
    SharingObjList *m_sharingObjList;
    bool m_isShowLogin = false;
    CtlViewReceiveFile m_ctlViewReceiveFile;
    bool m_isShowToast = false;
    AlertToast m_alertToast;
    bool m_isShowConfirmDialog = false;
    DialogConfirmSetting *m_dialogConfirmSetting;
    bool m_isShowDialog_Input = false;
    DialogInput_Setting *m_dialogInputSetting;
    QTimer m_timer;
    qint64 m_timerCounter = 0;
    bool m_hasAppeared = false;

    HostNameFetcher *m_hostNameFetcher;
    LoginView *m_loginView = nullptr;
    std::unique_ptr<LoginResultProcessor> m_loginResultProcessor;
    ToastOverlay *m_toastOverlay = nullptr;
    DialogConfirmView *m_confirmView = nullptr;
    DialogInputView *m_inputView = nullptr;
    Main_BannerView *m_banner = nullptr;
    QWidget *m_navigation = nullptr;
    QStackedWidget *m_pages = nullptr;
};
