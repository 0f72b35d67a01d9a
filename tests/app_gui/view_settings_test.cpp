// The settings page inside the main window: what it shows each time it is selected, the download
// folder and the remember-me switch, each saved at once with its toast (or refused without one),
// and the contact-code request.

#include "app_gui_support.h"

#include "alert_toast.h"
#include "bridge_supervisor.h"
#include "build_settings.h"
#include "file_dialog_panels.h"
#include "side_nav_item_view.h"
#include "toast_overlay.h"
#include "url_catcher.h"
#include "view_settings.h"
#include "widget_fit.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>
#include <QToolButton>


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

    // Selects the settings page, after a login the first time.
    ViewSettings &openSettings()
    {
        if (!window) {
            showMainView();
            finishLogin();
        }
        QTest::mouseClick(child<SideNavItemView>("navSettings"), Qt::LeftButton);
        ViewSettings *page = window->findChild<ViewSettings *>();
        EXPECT_TRUE(page && page->isVisible());
        return *page;
    }
    void leaveSettings() { QTest::mouseClick(child<SideNavItemView>("navLocalShares"), Qt::LeftButton); }

    QLineEdit *folderField() const { return child<QLineEdit>("downloadFolderField"); }
    QCheckBox *rememberMe() const { return window->findChild<ViewSettings *>()->findChild<QCheckBox *>("rememberMeSwitch"); }
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center()); }
    void chooseFolder(const QStringList &answer)
    {
        FileDialogPanels::setNextAnswer(answer);
        click(child<QToolButton>("chooseFolderButton"));
        // The panel answers on the event loop.
        ASSERT_TRUE(waitForPostedEvents());
    }

    static QString folder(const QString &name)
    {
        const QString path = QDir(TestHome::path()).filePath(name);
        QDir().mkpath(path);
        return path;
    }

    static AlertToast saved() { return AlertToast::notice(QStringLiteral("Setting saved.")); }
    static AlertToast failed() { return AlertToast::result(false, localizedString("Sys_Update_Failed")); }
    // The toast on screen, or an empty one; dismissed for the next check.
    AlertToast takeToast()
    {
        const AlertToast shown = window->isShowToast() ? window->alertToast() : AlertToast();
        window->toastOverlay().dismiss();
        return shown;
    }
};

TEST_F(SettingsPage, ShowsWhatIsStoredEachTimeItIsSelectedAndWritesNothing)
{
    openSettings();
    // A first start: nothing stored, nothing shown, and the open button neither makes nor shows
    // a folder.
    EXPECT_EQ(folderField()->text(), "");
    UrlCatcher fileManager;
    click(child<QToolButton>("openFolderButton"));
    EXPECT_EQ(fileManager.opened, QList<QUrl>());
    EXPECT_EQ(icon(UtilDB::keySaveAtDir), "");
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_FALSE(QFileInfo::exists(documents + "/Fenmar/Downloads"));
    EXPECT_TRUE(rememberMe()->isChecked()) << "as the login sheet's first start left it";

    leaveSettings();
    setIcon(UtilDB::keyIsRememberMe, "0");
    setIcon(UtilDB::keySaveAtDir, "/data/downloads");
    openSettings();
    EXPECT_FALSE(rememberMe()->isChecked());
    EXPECT_EQ(folderField()->text(), "/data/downloads");
    EXPECT_EQ(takeToast(), AlertToast());
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe), "0");
}

// In either language, with a folder longer than the field: the field is 380 wide, the line
// between the sections 680 and each heading's line 200.
TEST_F(SettingsPage, ItsContentIs680WideWithTenOfRoomInsideItsFrameAndTenOutside)
{
    for (const QLocale &language : englishAndChinese) {
        SCOPED_TRACE(language.name().toStdString());
        QLocale::setDefault(language);
        window.reset();
        setIcon(UtilDB::keySaveAtDir, "/home/ann/Documents/Fenmar/Downloads/a folder whose name goes on well past the field");
        ViewSettings &page = openSettings();
        auto *frame = page.findChild<QWidget *>(QStringLiteral("settingsFrame"));
        ASSERT_TRUE(frame);
        EXPECT_TRUE(waitFor([&] { return frame->width() == 10 + 680 + 10; }));
        EXPECT_EQ(frame->pos(), QPoint(10, 10));
        QRect content;
        for (QWidget *part : frame->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            EXPECT_EQ(part->x(), 10);
            EXPECT_EQ(part->width(), 680);
            content |= part->geometry();
        }
        EXPECT_EQ(content, frame->rect().marginsRemoved(QMargins(10, 10, 10, 10)));

        EXPECT_EQ(folderField()->width(), 380);
        const QList<SettingLineDivider *> lines = frame->findChildren<SettingLineDivider *>();
        ASSERT_EQ(lines.size(), 3);
        QList<int> drawn;
        for (SettingLineDivider *line : lines)
            drawn << paintedLineLength(line);
        std::sort(drawn.begin(), drawn.end());
        EXPECT_EQ(drawn, QList<int>({200, 200, 680}));
    }
}

TEST_F(SettingsPage, OnlyOneChosenFolderIsSavedAndConfirmed)
{
    setIcon(UtilDB::keySaveAtDir, folder("Old"));
    openSettings();
    // A cancelled panel, two folders, a file: nothing changes.
    const QString file = QCoreApplication::applicationFilePath();
    for (const QStringList &answer : {QStringList(), QStringList({folder("A"), folder("B")}), QStringList({file})}) {
        chooseFolder(answer);
        EXPECT_EQ(icon(UtilDB::keySaveAtDir), folder("Old")) << answer.join(u'|').toStdString();
        EXPECT_EQ(folderField()->text(), folder("Old"));
        EXPECT_EQ(takeToast(), AlertToast());
    }
    ASSERT_TRUE(FileDialogPanels::lastRequest());
    EXPECT_EQ(FileDialogPanels::lastRequest()->title, "Choose one file or folder");
    EXPECT_TRUE(FileDialogPanels::lastRequest()->chooseDir);

    const QString downloads = folder("Downloads");
    for (int i = 0; i < 2; ++i) {
        chooseFolder({downloads});
        EXPECT_EQ(icon(UtilDB::keySaveAtDir), downloads);
        EXPECT_EQ(folderField()->text(), downloads);
        EXPECT_EQ(takeToast(), saved()) << "the same folder again is saved again";
    }
    UrlCatcher fileManager;
    click(child<QToolButton>("openFolderButton"));
    EXPECT_EQ(fileManager.opened, QList<QUrl>({QUrl::fromLocalFile(downloads + "/")}));
}

TEST_F(SettingsPage, WhileThePanelIsOpenThePageTakesInputAndASecondClickOpensNoSecondPanel)
{
    openSettings();
    const auto shownPanels = [] {
        QList<QFileDialog *> panels;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *panel = qobject_cast<QFileDialog *>(widget); panel && panel->isVisible())
                panels << panel;
        }
        return panels;
    };
    click(child<QToolButton>("chooseFolderButton"));
    ASSERT_EQ(shownPanels().size(), 1);
    EXPECT_EQ(shownPanels().at(0)->windowTitle(), "Choose one file or folder");
    click(child<QToolButton>("chooseFolderButton"));
    EXPECT_EQ(shownPanels().size(), 1);

    // The switch, clicked as the window system delivers a click, which a modal panel holds back.
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, rememberMe()->mapTo(window.get(), QPoint(8, 8)));
    EXPECT_FALSE(rememberMe()->isChecked());
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe), "0");
    QMetaObject::invokeMethod(shownPanels().at(0), "reject");
    ASSERT_TRUE(waitFor([&] { return shownPanels().isEmpty(); }));
    EXPECT_EQ(icon(UtilDB::keySaveAtDir), "");
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
    openSettings();
    click(rememberMe());
    ASSERT_EQ(icon(UtilDB::keyLoginPassword), "");

    // The bridge is restarted; the link signs in again by itself with what it kept in memory.
    FakeBridgeServer restarted;
    restarted.loginResult = QStringLiteral(R"({"Result":"1","ACC":"7","name_acc":"Tester","ClientID":"C-7","Token":"T-7"})");
    Env::restartBridgeBlock();
    ASSERT_TRUE(connectTo(restarted));
    // The sign-in ends with the sub-account call, after the remembered values would be written.
    ASSERT_TRUE(waitFor([&] { return !callsTo(restarted, "subaccount/init/").isEmpty(); }));
    EXPECT_EQ(Env::userInfo.Token, "T-7");
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe) + icon(UtilDB::keyLoginEmail) + icon(UtilDB::keyLoginPassword), "0");
}

TEST_F(SettingsPage, TheSwitchIsSavedAtOnceOffErasesTheSignInAndAFailedSaveIsNotConfirmed)
{
    openSettings();
    for (const bool on : {false, true}) {
        setIcon(UtilDB::keyLoginEmail, "me@example.com");
        click(rememberMe());
        EXPECT_EQ(rememberMe()->isChecked(), on);
        EXPECT_EQ(icon(UtilDB::keyIsRememberMe), on ? "1" : "0");
        EXPECT_EQ(icon(UtilDB::keyLoginEmail), on ? "me@example.com" : "") << on;
        EXPECT_EQ(takeToast(), saved()) << on;
    }

    // The full disk refuses every new row of the settings table.
    ASSERT_TRUE(UtilDB::exec("create trigger full before insert on icons begin select raise(abort, 'disk is full'); end").ok);
    click(rememberMe());
    EXPECT_EQ(takeToast(), failed());
    EXPECT_TRUE(rememberMe()->isChecked()) << "the switch shows what is stored";
    EXPECT_EQ(icon(UtilDB::keyIsRememberMe), "1");
    EXPECT_EQ(icon(UtilDB::keyLoginEmail), "me@example.com");
    chooseFolder({folder("Downloads")});
    EXPECT_EQ(takeToast(), failed());
    EXPECT_EQ(icon(UtilDB::keySaveAtDir), "");
    EXPECT_EQ(folderField()->text(), "") << "the field shows what is stored";
}

TEST_F(SettingsPage, AsksForTheContactCodeEachTimeItIsShownAndKeepsOnlyASuccessfulOne)
{
    FakeBridgeServer bridge;
    showMainView();
    ASSERT_TRUE(connectTo(bridge));
    UserInfo record = testAccount();
    record.Token = QStringLiteral("to ken/+");
    finishLogin(record);
    const auto codeRequests = [&] { return callsTo(bridge, "acode/get"); };
    ViewSettings &page = openSettings();
    ASSERT_TRUE(waitFor([&] { return codeRequests().size() == 1; }));
    const Json request = codeRequests().at(0);
    EXPECT_EQ(request["Data"]["URL"], std::string(BuildSettings::apiBaseUrl) + "account/acode/get/index.php?Token=to%20ken%2F%2B");
    EXPECT_EQ(request["Data"]["Timeout"], 5);
    // The service's reply is JSON text inside the answer.
    bridge.answer(QString::fromStdString(request["Token"]), R"({"Result":"1","Info":"ABC123"})");
    EXPECT_TRUE(waitFor([&] { return page.contactCode() == "ABC123"; }));
    leaveSettings();
    openSettings();
    EXPECT_TRUE(waitFor([&] { return codeRequests().size() == 2; }));

    for (const char *reply : {"not json", R"({"Result":"0","Info":"XYZ"})"})
        page.onContactCodeReply(LenientJson::fromJson(reply));
    page.onContactCodeReply(std::nullopt);
    EXPECT_EQ(page.contactCode(), "ABC123");
    page.onContactCodeReply(LenientJson::fromJson(R"({"Result":1,"Info":"K9"})"));
    EXPECT_EQ(page.contactCode(), "K9");
}

} // namespace
