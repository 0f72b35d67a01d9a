// The settings page inside the main window: the download folder and the remember-me switch,
// each saved at once with its toast, and the contact-code request.

#include "app_gui_support.h"

#include "alert_toast.h"
#include "bridge_supervisor.h"
#include "build_settings.h"
#include "env.h"
#include "file_dialog_panels.h"
#include "localization.h"
#include "login_view.h"
#include "main_view.h"
#include "side_nav_item_view.h"
#include "test_home.h"
#include "toast_overlay.h"
#include "url_catcher.h"
#include "util_db.h"
#include "view_settings.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include <algorithm>

// Readable toasts in failure messages.
void PrintTo(const AlertToast &toast, std::ostream *os)
{
    *os << "toast(" << int(toast.look()) << ", " << toast.isSuccess() << ", \"" << toast.title().toStdString() << "\")";
}

namespace {

class SettingsPage : public ShellTest
{
protected:
    void SetUp() override
    {
        ShellTest::SetUp();
        registerFileDialogPanels();
        FileDialogPanels::clearNextAnswer();
    }

    // The main window after a login, with the settings page selected.
    ViewSettings &openSettings(UserInfo record = testAccount())
    {
        if (!window) {
            showMainView();
            finishLogin(record);
        }
        QTest::mouseClick(window->findChild<SideNavItemView *>(QStringLiteral("navSettings")), Qt::LeftButton);
        ViewSettings *page = window->findChild<ViewSettings *>();
        EXPECT_NE(page, nullptr);
        EXPECT_TRUE(page && page->isVisible());
        return *page;
    }

    void leaveSettings()
    {
        QTest::mouseClick(window->findChild<SideNavItemView *>(QStringLiteral("navLocalShares")), Qt::LeftButton);
    }

    template <class Widget>
    Widget *child(ViewSettings &page, const char *name)
    {
        return page.findChild<Widget *>(QString::fromLatin1(name));
    }

    void click(QWidget *widget)
    {
        ASSERT_NE(widget, nullptr);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    }

    void chooseFolder(ViewSettings &page, const QStringList &answer)
    {
        FileDialogPanels::setNextAnswer(answer);
        click(child<QToolButton>(page, "chooseFolderButton"));
        QTest::qWait(20);
    }

    static QString icon(const char *key) { return UtilDB::getIcon(QString::fromLatin1(key)); }
    static void setIcon(const char *key, const QString &value) { ASSERT_TRUE(UtilDB::setIcon(QString::fromLatin1(key), value)); }

    static QString folder(const QString &name)
    {
        const QString path = QDir(TestHome::path()).filePath(name);
        QDir().mkpath(path);
        return path;
    }

    AlertToast saved() const { return AlertToast::notice(QStringLiteral("Setting saved.")); }
    // The toast on screen, or an empty one.
    AlertToast toastShown() const { return window->isShowToast() ? window->alertToast() : AlertToast(); }
};

TEST_F(SettingsPage, ShowsTheStoredSettingsAndWritesNothingOnOpening)
{
    setIcon(UtilDB::keyIsRememberMe, "1");
    setIcon(UtilDB::keySaveAtDir, "/data/downloads");
    setIcon(UtilDB::keyMyReceivedFolder, "/data/received");
    setIcon(UtilDB::keyLoginEmail, "me@example.com");
    ViewSettings &page = openSettings();

    EXPECT_TRUE(page.isRememberMe());
    EXPECT_TRUE(child<QCheckBox>(page, "rememberMeSwitch")->isChecked());
    EXPECT_EQ(page.downloadSaveAt(), "/data/downloads");
    EXPECT_EQ(child<QLineEdit>(page, "downloadFolderField")->text(), "/data/downloads");
    EXPECT_EQ(page.receiveSaveAt(), "/data/received");
    EXPECT_EQ(child<QLabel>(page, "folderLabel")->text(), QStringLiteral("\u25E6  Download folder"));
    EXPECT_EQ(child<QLabel>(page, "loginTitle")->text(), "Log In");
    EXPECT_EQ(toastShown(), AlertToast());
    EXPECT_EQ(icon(UtilDB::keyLoginEmail), "me@example.com");
}

TEST_F(SettingsPage, AFirstStartShowsTheFolderADownloadWillUseAndWritesNoDefault)
{
    ViewSettings &page = openSettings();
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(child<QLineEdit>(page, "downloadFolderField")->text(), documents + "/Fenmar/Downloads");
    EXPECT_EQ(icon(UtilDB::keySaveAtDir), "");
}

TEST_F(SettingsPage, AChosenFolderIsSavedAndConfirmed)
{
    ViewSettings &page = openSettings();
    const QString downloads = folder("Downloads");
    chooseFolder(page, {downloads});
    ASSERT_TRUE(FileDialogPanels::lastRequest());
    EXPECT_EQ(FileDialogPanels::lastRequest()->title, "Choose the folder for downloads");
    EXPECT_TRUE(FileDialogPanels::lastRequest()->chooseDir);
    EXPECT_EQ(icon(UtilDB::keySaveAtDir), downloads);
    EXPECT_EQ(child<QLineEdit>(page, "downloadFolderField")->text(), downloads);
    EXPECT_EQ(toastShown(), saved());

    // The same folder again is written again, with its toast.
    window->toastOverlay().dismiss();
    chooseFolder(page, {downloads});
    EXPECT_EQ(toastShown(), saved());

    // The open button shows it in the file manager.
    UrlCatcher catcher;
    click(child<QToolButton>(page, "openFolderButton"));
    EXPECT_EQ(catcher.opened, QList<QUrl>({QUrl::fromLocalFile(downloads + "/")}));
}

TEST_F(SettingsPage, ACancelledPanelSeveralFoldersOrAFileChangeNothing)
{
    setIcon(UtilDB::keySaveAtDir, folder("Old"));
    ViewSettings &page = openSettings();
    QFile file(QDir(TestHome::path()).filePath("file.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    for (const QStringList &answer : {QStringList(), QStringList({folder("A"), folder("B")}), QStringList({file.fileName()})})
        chooseFolder(page, answer);
    EXPECT_EQ(icon(UtilDB::keySaveAtDir), folder("Old"));
    EXPECT_EQ(child<QLineEdit>(page, "downloadFolderField")->text(), folder("Old"));
    EXPECT_EQ(toastShown(), AlertToast());
}

TEST_F(SettingsPage, RememberMeOnStoresOneAndOffErasesTheRememberedSignIn)
{
    setIcon(UtilDB::keyIsRememberMe, "0");
    ViewSettings &page = openSettings();
    setIcon(UtilDB::keyLoginEmail, "me@example.com");
    setIcon(UtilDB::keyLoginPassword, "secret");
    QCheckBox *box = child<QCheckBox>(page, "rememberMeSwitch");
    ASSERT_FALSE(box->isChecked());

    // At once after the page opened: the user's change counts all the same.
    click(box);
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe), "1");
    EXPECT_EQ(icon(UtilDB::keyLoginEmail), "me@example.com");
    EXPECT_EQ(toastShown(), saved());

    window->toastOverlay().dismiss();
    click(box);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe), "0");
    EXPECT_EQ(icon(UtilDB::keyLoginEmail), "");
    EXPECT_EQ(icon(UtilDB::keyLoginPassword), "");
    EXPECT_EQ(toastShown(), saved());
}

TEST_F(SettingsPage, RememberMeTurnedOffStaysOffThroughTheSignInAfterABridgeRestart)
{
    FakeBridgeServer bridge;
    showMainView();
    ASSERT_TRUE(connectTo(bridge));
    // Signed in through the sheet with remember-me on, as after a first start.
    window->loginSheet().findChild<QLineEdit *>(QStringLiteral("emailField"))->setText(QStringLiteral("ann@example.com"));
    window->loginSheet().findChild<QLineEdit *>(QStringLiteral("passwordField"))->setText(QStringLiteral("s3cret"));
    finishLogin();
    ASSERT_EQ(icon(UtilDB::keyLoginPassword), "s3cret");
    ViewSettings &page = openSettings();
    click(child<QCheckBox>(page, "rememberMeSwitch"));
    ASSERT_EQ(icon(UtilDB::keyLoginPassword), "");

    // The bridge is restarted; the link signs in again by itself with what it kept in memory.
    FakeBridgeServer restarted;
    restarted.loginResult = QStringLiteral(R"({"Result":"1","ACC":"7","name_acc":"Tester","ClientID":"C-7","Token":"T-7"})");
    Env::restartBridgeBlock();
    ASSERT_TRUE(connectTo(restarted));
    ASSERT_TRUE(waitFor([&] { return !restarted.framesWithCode(QStringLiteral("Login")).isEmpty(); }));
    // The sign-in ends with the sub-account call, after the remembered values would be written.
    ASSERT_TRUE(waitFor([&] {
        const QList<Json> calls = restarted.controlData(QStringLiteral("CallHttp"));
        return std::any_of(calls.begin(), calls.end(),
                           [](const Json &call) { return call.value("URL", "").find("subaccount/init/") != std::string::npos; });
    }));
    EXPECT_EQ(Env::userInfo.Token, "T-7");
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe), "0");
    EXPECT_EQ(icon(UtilDB::keyLoginEmail), "");
    EXPECT_EQ(icon(UtilDB::keyLoginPassword), "");
}

TEST_F(SettingsPage, AFailedWriteIsNotConfirmedAndKeepsWhatWasStored)
{
    setIcon(UtilDB::keyIsRememberMe, "1");
    setIcon(UtilDB::keyLoginEmail, "me@example.com");
    ViewSettings &page = openSettings();
    setIcon(UtilDB::keyLoginEmail, "me@example.com");
    // The full disk refuses every new row of the settings table.
    ASSERT_TRUE(UtilDB::exec("create trigger full before insert on icons begin select raise(abort, 'disk is full'); end").ok);

    QCheckBox *box = child<QCheckBox>(page, "rememberMeSwitch");
    click(box);
    EXPECT_EQ(toastShown(), AlertToast::result(false, localizedString("Sys_Update_Failed")));
    EXPECT_TRUE(box->isChecked()) << "the switch shows what is stored";
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe), "1");
    EXPECT_EQ(icon(UtilDB::keyLoginEmail), "me@example.com");

    window->toastOverlay().dismiss();
    chooseFolder(page, {folder("Downloads")});
    EXPECT_EQ(toastShown(), AlertToast::result(false, localizedString("Sys_Update_Failed")));
    EXPECT_EQ(icon(UtilDB::keySaveAtDir), "");
    EXPECT_EQ(child<QLineEdit>(page, "downloadFolderField")->text(), page.downloadFolderInUse());
    EXPECT_NE(child<QLineEdit>(page, "downloadFolderField")->text(), folder("Downloads"));
}

TEST_F(SettingsPage, AsksForTheContactCodeEachTimeItIsShown)
{
    FakeBridgeServer bridge;
    showMainView();
    ASSERT_TRUE(connectTo(bridge));
    UserInfo record = testAccount();
    record.Token = QStringLiteral("to ken/+");
    finishLogin(record);
    ViewSettings &page = openSettings();

    ASSERT_TRUE(waitFor([&] { return bridge.controlData("CallHttp").size() >= 2; }));
    const QList<Json> frames = bridge.framesWithCode("P2PClientControl");
    Json request;
    for (const Json &frame : frames) {
        const Json &data = frame["Msg"]["Data"];
        if (data.is_object() && data["Data"].is_object()
            && data["Data"].value("URL", "").find("acode/get") != std::string::npos)
            request = data;
    }
    ASSERT_TRUE(request.is_object());
    EXPECT_EQ(request["Data"]["URL"], std::string(BuildSettings::apiBaseUrl) + "account/acode/get/index.php?Token=to%20ken%2F%2B");
    EXPECT_EQ(request["Data"]["Timeout"], 5);

    // The service's reply is JSON text inside the answer.
    bridge.send("P2PCLIENT", QString::fromStdString(
                                 Json{{"Token", request["Token"]}, {"Msg", R"({"Result":"1","Info":"ABC123"})"}}.dump()));
    EXPECT_TRUE(waitFor([&] { return page.contactCode() == "ABC123"; }));

    const int asked = bridge.controlData("CallHttp").size();
    leaveSettings();
    openSettings();
    EXPECT_TRUE(waitFor([&] { return bridge.controlData("CallHttp").size() == asked + 1; }));
}

TEST_F(SettingsPage, AContactCodeReplyThatIsNoJsonOrNoSuccessChangesNothing)
{
    ViewSettings &page = openSettings();
    {
        CapturedOutput output;
        page.onContactCodeReply(LenientJson::fromJson("not json"));
        EXPECT_TRUE(output.lines().contains("Json error : not json"));
    }
    page.onContactCodeReply(LenientJson::fromJson(R"({"Result":"0","Info":"XYZ"})"));
    page.onContactCodeReply(std::nullopt);
    EXPECT_EQ(page.contactCode(), "");
    page.onContactCodeReply(LenientJson::fromJson(R"({"Result":1,"Info":"K9"})"));
    EXPECT_EQ(page.contactCode(), "K9");
}

TEST_F(SettingsPage, Screenshot)
{
    setIcon(UtilDB::keyIsRememberMe, "1");
    setIcon(UtilDB::keySaveAtDir, "/home/me/Documents/Fenmar/Downloads");
    openSettings();
    QTest::qWait(50);
    EXPECT_FALSE(saveScreenshot(*window, QStringLiteral("settings_page")).isEmpty());
}

} // namespace
