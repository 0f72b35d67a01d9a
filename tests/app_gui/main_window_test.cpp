// The main window as the user meets it: the page shown first, the side navigation's pages,
// titles and colours, the account badge, the login sheet opening once, toasts, the window's own
// confirm and input dialogs as pages use them, and the receive-files sheet's state.

#include "app_gui_support.h"

#include "build_settings.h"
#include "dialog_add_contact.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "env.h"
#include "local_share_store.h"
#include "localization.h"
#include "login_view.h"
#include "main_banner_view.h"
#include "main_view.h"
#include "remote_sharing.h"
#include "sharing_obj.h"
#include "side_nav_item_view.h"
#include "test_home.h"
#include "toast_overlay.h"
#include "url_catcher.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_edit.h"
#include "view_sharing_remote_file_list.h"
#include "view_sharing_remote_upload.h"
#include "web_pages.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTest>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>

#include <array>

namespace {

using Colours = std::array<QString, MainView::pageCount>;

class MainWindow : public ShellTest
{
protected:
    QString bannerTitle() { return window->findChild<QLabel *>(QStringLiteral("bannerTitle"))->text(); }
    QString shownPage() { return window->findChild<QStackedWidget *>(QStringLiteral("pages"))->currentWidget()->objectName(); }
    SideNavItemView *navButton(const char *name) { return window->findChild<SideNavItemView *>(QString::fromLatin1(name)); }
    QWidget *navigation() { return window->findChild<QWidget *>(QStringLiteral("sideNavigation")); }
    void click(const char *name)
    {
        SideNavItemView *button = navButton(name);
        ASSERT_NE(button, nullptr) << name;
        QTest::mouseClick(button, Qt::LeftButton);
    }
};

TEST_F(MainWindow, StartsOnLocalSharesWithTheFirstButtonSelected)
{
    showMainView();
    EXPECT_EQ(window->iViewIndex(), 0);
    EXPECT_EQ(window->isShowingView(), (std::array<bool, 4>{true, false, false, false}));
    EXPECT_EQ(window->colorShowingView(), (Colours{"ColorMain0", "navDisabled", "navDisabled", "navDisabled"}));
    EXPECT_EQ(window->colorShowingViewBorder(), (Colours{"activeBorder", "navBG", "navBG", "navBG"}));
    EXPECT_EQ(shownPage(), "pageLocalShares");
    EXPECT_EQ(bannerTitle(), "Local Shares");
    EXPECT_EQ(window->findChild<QLabel *>(QStringLiteral("versionLabel"))->text(), "Ver. 3.1.3");
    EXPECT_EQ(window->windowTitle(), "Fenmar");
}

TEST_F(MainWindow, ContentIsNeverSmallerThan640By480)
{
    showMainView();
    window->resize(200, 100);
    QCoreApplication::processEvents();
    EXPECT_GE(window->width(), 640);
    EXPECT_GE(window->height(), 480);
}

TEST_F(MainWindow, NavigationSelectsPagesTitlesAndColours)
{
    showMainView();
    finishLogin();
    ASSERT_TRUE(navigation()->isVisible());

    click("navRemoteHosts");
    EXPECT_EQ(window->iViewIndex(), 1);
    EXPECT_EQ(shownPage(), "pageRemoteHosts");
    EXPECT_EQ(bannerTitle(), "Remote Hosts");
    EXPECT_EQ(window->isShowingView(), (std::array<bool, 4>{false, true, false, false}));
    EXPECT_EQ(window->colorShowingView(), (Colours{"navDisabled", "ColorMain0", "navDisabled", "navDisabled"}));
    EXPECT_EQ(window->colorShowingViewBorder(), (Colours{"navDisabled", "activeBorder", "navDisabled", "navDisabled"}));

    click("navSettings");
    EXPECT_EQ(window->iViewIndex(), 3);
    EXPECT_EQ(shownPage(), "pageSettings");
    EXPECT_EQ(bannerTitle(), "Settings");
    EXPECT_EQ(window->colorShowingView(), (Colours{"navDisabled", "navDisabled", "navDisabled", "ColorMain0"}));

    click("navLocalShares");
    EXPECT_EQ(shownPage(), "pageLocalShares");
    EXPECT_EQ(bannerTitle(), "Local Shares");

    // Three buttons; the page for sending files has none.
    const QList<SideNavItemView *> buttons = window->findChildren<SideNavItemView *>();
    ASSERT_EQ(buttons.size(), 3);
    QStringList icons;
    for (SideNavItemView *button : buttons)
        icons << button->icon();
    EXPECT_EQ(icons, QStringList({"globe", "person.icloud.fill", "gearshape.circle.fill"}));
}

TEST_F(MainWindow, ClickOnTheShownPageOnlyTurnsTheOtherBordersGrey)
{
    showMainView();
    finishLogin();
    click("navLocalShares");
    EXPECT_EQ(window->iViewIndex(), 0);
    EXPECT_EQ(shownPage(), "pageLocalShares");
    EXPECT_EQ(window->colorShowingView(), (Colours{"ColorMain0", "navDisabled", "navDisabled", "navDisabled"}));
    EXPECT_EQ(window->colorShowingViewBorder(), (Colours{"activeBorder", "navDisabled", "navDisabled", "navDisabled"}));
}

TEST_F(MainWindow, NavigationIsHiddenWhileTheLoginSheetIsShownAndKeepsItsSelection)
{
    showMainView();
    EXPECT_TRUE(window->isShowLogin());
    EXPECT_FALSE(navigation()->isVisible());
    // The banner and the page area stay.
    EXPECT_TRUE(window->findChild<QWidget *>(QStringLiteral("banner"))->isVisible());
    EXPECT_TRUE(window->findChild<QStackedWidget *>(QStringLiteral("pages"))->isVisible());

    window->selectPage(MainView::pageSettings);
    finishLogin();
    EXPECT_FALSE(window->isShowLogin());
    EXPECT_TRUE(navigation()->isVisible());
    EXPECT_EQ(shownPage(), "pageSettings");
}

TEST_F(MainWindow, LoginSheetOpensOnceAndTheWindowRegistersItself)
{
    showMainView();
    EXPECT_EQ(Env::globalMainView, window.get());
    EXPECT_EQ(MainViewUi::current(), window.get());
    EXPECT_EQ(Env::globalLoginView, &window->loginSheet());
    finishLogin();

    // Minimised and shown again: the window keeps its state, the sheet stays closed.
    window->showMinimized();
    QCoreApplication::processEvents();
    window->showNormal();
    QCoreApplication::processEvents();
    waitFor([] { return false; }, 100);
    EXPECT_FALSE(window->loginSheet().isVisible());
    EXPECT_FALSE(window->isShowLogin());
    EXPECT_EQ(Env::globalMainView, window.get());

    window.reset();
    EXPECT_EQ(Env::globalMainView, nullptr);
    EXPECT_EQ(MainViewUi::current(), nullptr);
}

TEST_F(MainWindow, BadgeShowsTheAccountNameAndTheLabelOfEveryMemberType)
{
    showMainView();
    auto *name = window->findChild<QLabel *>(QStringLiteral("accountName"));
    auto *label = window->findChild<QLabel *>(QStringLiteral("memberTypeLabel"));
    // Before any login: the default record.
    EXPECT_EQ(name->text(), "Anonymous");
    EXPECT_EQ(label->text(), localizedString(QStringLiteral("MemberType_Ano")));

    const std::pair<int, const char *> table[] = {
        {0, "MemberType_FreeUser"}, {1, "MemberType_Ano"}, {2, "MemberType_Std"}, {3, "MemberType_Adv"},
        {4, "MemberType_Exp"},      {5, "MemberType_Ano"}, {-1, "MemberType_Ano"},
    };
    for (const auto &[type, key] : table) {
        Env::userInfo.mbr_type = type;
        window->onUserInfoReplaced();
        EXPECT_EQ(label->text(), localizedString(QString::fromLatin1(key))) << type;
    }
    EXPECT_NE(localizedString(QStringLiteral("MemberType_FreeUser")), localizedString(QStringLiteral("MemberType_Ano")));

    Env::userInfo.name_acc = QStringLiteral("MemberType_Std");
    window->onUserInfoReplaced();
    EXPECT_EQ(name->text(), "MemberType_Std") << "the name is shown as it is, not looked up";
}

TEST_F(MainWindow, BadgeAndSheetLinksOpenTheServicesPagesInTheBrowser)
{
    UrlCatcher browser;
    showMainView();
    auto *links = window->loginSheet().findChild<QLabel *>(QStringLiteral("loginLinks"));
    ASSERT_NE(links, nullptr);
    emit links->linkActivated(WebPages::registration());
    finishLogin();
    QTest::mouseClick(window->findChild<QWidget *>(QStringLiteral("accountBadge")), Qt::LeftButton);
    ASSERT_EQ(browser.opened.size(), 2);
    EXPECT_EQ(browser.opened.at(0).path(), "/register");
    EXPECT_EQ(browser.opened.at(1).path(), "/console");
    EXPECT_EQ(browser.opened.at(1).host(), QUrl(QString::fromUtf8(BuildSettings::webHost)).host());
    // From the keyboard too.
    QWidget *badge = window->findChild<QWidget *>(QStringLiteral("accountBadge"));
    EXPECT_TRUE(badge->focusPolicy() & Qt::TabFocus);
    QTest::keyClick(badge, Qt::Key_Return);
    ASSERT_EQ(browser.opened.size(), 3);
    EXPECT_EQ(browser.opened.at(2).path(), "/console");
}

TEST_F(MainWindow, ToastShowsItsTitleAndGoesAwayByItself)
{
    showMainView();
    MainViewUi::current()->showToast(QStringLiteral("Folder added."));
    EXPECT_TRUE(window->isShowToast());
    EXPECT_EQ(window->alertToast(), AlertToast::notice(QStringLiteral("Folder added.")));
    EXPECT_TRUE(window->toastOverlay().isVisible());
    EXPECT_EQ(window->toastOverlay().duration(), std::chrono::milliseconds(880));
    EXPECT_TRUE(waitFor([this] { return !window->isShowToast(); }, 3000));
    EXPECT_FALSE(window->toastOverlay().isVisible());

    MainViewUi::current()->showUpdateResult(false);
    EXPECT_EQ(window->alertToast(), AlertToast::result(false, localizedString(QStringLiteral("Sys_Update_Failed"))));
    // Through the bridge layer's view of the window as well.
    Env::globalMainView->showToast(QStringLiteral("Peer left."));
    EXPECT_EQ(window->alertToast().title(), "Peer left.");
}

TEST_F(MainWindow, ConfirmDialogRunsTheChosenActionOnceAndCloses)
{
    showMainView();
    finishLogin();
    auto *dialog = window->findChild<DialogConfirmView *>(QStringLiteral("mainConfirmDialog"));
    ASSERT_NE(dialog, nullptr);
    int ok = 0;
    int cancel = 0;
    DialogConfirmSetting &setting = MainViewUi::current()->dialogConfirmSetting();
    setting.setTitle(QStringLiteral("Remove share"));
    setting.setInfo(QStringLiteral("Remove the share Photos?"));
    setting.setIsBtnCancel(true);
    setting.setOkAction([&] { ++ok; });
    setting.setCancelAction([&] { ++cancel; });

    MainViewUi::current()->showConfirmDialog();
    ASSERT_TRUE(waitFor([&] { return dialog->isVisible(); }));
    EXPECT_TRUE(window->isShowConfirmDialog());
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("infoLabel"))->text(), "Remove the share Photos?");
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(cancel, 0);
    EXPECT_FALSE(window->isShowConfirmDialog());

    MainViewUi::current()->showConfirmDialog();
    ASSERT_TRUE(waitFor([&] { return dialog->isVisible(); }));
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cancelButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(cancel, 1);

    MainViewUi::current()->showConfirmDialog();
    ASSERT_TRUE(waitFor([&] { return dialog->isVisible(); }));
    QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("closeButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !dialog->isVisible(); }));
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(cancel, 1);
    EXPECT_FALSE(window->isShowConfirmDialog());
}

class MainWindowInput : public MainWindow
{
protected:
    void SetUp() override
    {
        MainWindow::SetUp();
        showMainView();
        finishLogin();
        dialog = window->findChild<DialogInputView *>(QStringLiteral("mainInputDialog"));
        ASSERT_NE(dialog, nullptr);
    }

    // Opens the window's input dialog the way the share detail page asks for an access code.
    void ask(int lenMax, DialogInput_Setting_ValidType type, bool allowEmpty = true)
    {
        DialogInput_Setting &setting = MainViewUi::current()->dialogInputSetting();
        setting.configure(QStringLiteral("Access code"), QString(), [this, &setting] { accepted << setting.value(); }, 0,
                          lenMax, type, allowEmpty);
        MainViewUi::current()->showInputDialog();
        ASSERT_TRUE(waitFor([this] { return dialog->isVisible(); }));
    }

    // Types text into the field and presses OK (or Return).
    void enter(const QString &text, bool byReturn = false)
    {
        auto *field = dialog->findChild<QLineEdit *>(QStringLiteral("inputField"));
        field->clear();
        // As an input method delivers it: one key event carrying the whole text.
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text, Qt::NoModifier);
        if (byReturn)
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
        QCoreApplication::processEvents();
    }

    QString toastText() { return dialog->toast()->isShowing() ? dialog->toast()->toast().title() : QString(); }

    DialogInputView *dialog = nullptr;
    QStringList accepted;
};

TEST_F(MainWindowInput, PasswordRuleKeepsThePanelOpenUntilTheCodeFits)
{
    ask(30, DialogInput_Setting_ValidType::dsvPassword);
    enter(QStringLiteral("ab-c"));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(toastText(), "The password should be 4~16 characters/numbers");
    EXPECT_TRUE(accepted.isEmpty());

    enter(QStringLiteral("Abcd1234"), true);
    EXPECT_TRUE(waitFor([this] { return !dialog->isVisible(); }));
    EXPECT_EQ(accepted, QStringList({"Abcd1234"}));
    EXPECT_FALSE(window->isShowDialog_Input());
}

TEST_F(MainWindowInput, LengthsCountCharactersAsTheUserSeesThem)
{
    // Four thumbs with a skin tone: four characters, sixteen UTF-16 units.
    const QString thumb = QString::fromUtf8("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");
    ask(4, DialogInput_Setting_ValidType::dsvNone, false);
    enter(thumb.repeated(5));
    EXPECT_EQ(toastText(), "input length should <=4");
    EXPECT_TRUE(dialog->isVisible());
    enter(thumb.repeated(4));
    EXPECT_TRUE(waitFor([this] { return !dialog->isVisible(); }));
    EXPECT_EQ(accepted, QStringList({thumb.repeated(4)}));
}

TEST_F(MainWindowInput, ReturnDoesNotSubmitWhileOkIsDisabled)
{
    ask(30, DialogInput_Setting_ValidType::dsvPassword);
    dialog->setIsCanSubmiti(false);
    enter(QStringLiteral("Abcd1234"), true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(accepted.isEmpty());

    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cancelButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([this] { return !dialog->isVisible(); }));
    EXPECT_TRUE(accepted.isEmpty());
    EXPECT_FALSE(window->isShowDialog_Input());
}

TEST_F(MainWindow, ReceiveSheetStateIsKeptAsTheBridgeLayerWritesIt)
{
    showMainView();
    int changes = 0;
    QObject::connect(window.get(), &MainView::ctlViewReceiveFileChanged, window.get(), [&] { ++changes; });
    CtlViewReceiveFile offer = Env::globalMainView->ctlViewReceiveFile();
    EXPECT_FALSE(offer.isShowView);
    EXPECT_EQ(offer.vrsState, ViewReceiveState::vrsWaiting);
    EXPECT_EQ(offer.taskState, "0");
    EXPECT_EQ(offer.iCountDown, 30.0);

    offer.isShowView = true;
    offer.FromUser = QStringLiteral("ann@example.com");
    offer.Summary = QStringLiteral("3 files");
    Env::globalMainView->setCtlViewReceiveFile(offer);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(window->ctlViewReceiveFile().isShowView);
    EXPECT_EQ(window->ctlViewReceiveFile().FromUser, "ann@example.com");
}

TEST_F(MainWindow, ScreenshotsOfEveryPageAndTheLoginSheet)
{
    showMainView();
    window->resize(1000, 680);
    tickLogin(3);
    QCoreApplication::processEvents();
    EXPECT_FALSE(saveScreenshot(window->loginSheet(), QStringLiteral("app_login_sheet")).isEmpty());
    EXPECT_FALSE(saveScreenshot(*window, QStringLiteral("app_main_login_open")).isEmpty());

    UserInfo account = testAccount();
    account.name_acc = QStringLiteral("Mia Chen");
    account.mbr_type = 2;
    finishLogin(account);
    const std::pair<MainView::Page, const char *> pages[] = {
        {MainView::pageLocalShares, "app_main_local_shares"},
        {MainView::pageRemoteHosts, "app_main_remote_hosts"},
        {MainView::pageSettings, "app_main_settings"},
    };
    for (const auto &[page, name] : pages) {
        window->selectPage(page);
        QCoreApplication::processEvents();
        const QString path = saveScreenshot(*window, QString::fromLatin1(name));
        ASSERT_FALSE(path.isEmpty()) << name;
        const QImage picture(path);
        EXPECT_EQ(picture.size(), window->size() * window->devicePixelRatio()) << name;
    }
}

// ---- Every page under Chinese, and at the smallest size ---------------------------------------

// A share of the test account and a remote host, so that the pages show a card and a row.
void storeSampleData(qint64 account)
{
    const qint64 previous = Env::userInfo.id_acc;
    Env::userInfo.id_acc = account;
    const QString folder = QDir(TestHome::path()).filePath(QStringLiteral("Photos"));
    QDir().mkpath(folder);
    SharingObj share;
    share.setTag(QStringLiteral("AB12"));
    share.setPath(folder);
    ASSERT_TRUE(LocalShare_Insert(share));
    RemoteSharing host;
    host.hostname = QStringLiteral("ann");
    host.hosttag = QStringLiteral("AB12");
    ASSERT_TRUE(RemoteSharing_Add(host));
    Env::userInfo.id_acc = previous;
}

// The texts a person reads on widget: its text, placeholder and tooltip.
QStringList readableTexts(QWidget *widget)
{
    QStringList texts{widget->toolTip()};
    if (auto *label = qobject_cast<QLabel *>(widget))
        texts << (label->textFormat() == Qt::PlainText ? label->text() : QTextDocumentFragment::fromHtml(label->text()).toPlainText());
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        texts << button->text();
    if (auto *field = qobject_cast<QLineEdit *>(widget))
        texts << field->placeholderText();
    if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
        for (int i = 0; i < tree->columnCount(); ++i)
            texts << tree->headerItem()->text(i);
    }
    if (widget->isWindow())
        texts << widget->windowTitle();
    return texts;
}

// English words left in text once names, numbers, paths, addresses and the product's name are
// taken out; "" when there are none.
QString englishLeftIn(QString text, const QStringList &names)
{
    static const QRegularExpression addresses(QStringLiteral(R"(\S+://\S+|\S+@\S+|\S*/\S*|[Vv]?\d+(\.\d+)+)"));
    text.remove(addresses);
    for (const QString &name : names)
        text.remove(name);
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    const QRegularExpressionMatch found = word.match(text);
    return found.hasMatch() ? text : QString();
}

TEST_F(MainWindow, UnderChineseNoInterfaceTextStaysEnglish)
{
    storeSampleData(testAccount().id_acc);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    showMainView();
    tickLogin(3);
    QStringList found;
    const QStringList names{QStringLiteral("Fenmar"), QStringLiteral("AB12"), QStringLiteral("ann"), QStringLiteral("Tester")};
    const auto scan = [&](const char *when) {
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets << window.get();
        for (QWidget *widget : widgets) {
            for (const QString &text : readableTexts(widget)) {
                const QString left = englishLeftIn(text, names);
                if (!left.isEmpty())
                    found << QStringLiteral("%1: %2 \"%3\"").arg(QLatin1String(when), widget->objectName(), text);
            }
        }
    };
    scan("before the login");
    // Waiting for the login, and giving up on it.
    window->loginSheet().onLoginButton();
    Env::isBridgeConnected = true;
    tickLogin(LoginView::loginTimeoutTicks + 2);
    scan("after a login timed out");
    Env::isBridgeConnected = false;
    finishLogin();
    // Every page, with the sheets the pages open.
    for (const MainView::Page page : {MainView::pageLocalShares, MainView::pageRemoteHosts, MainView::pageSettings})
        window->selectPage(page);
    auto *browser = new ViewSharingRemoteFileList(RemoteSharing_List().value(0), window.get());
    browser->setHostInvalid(localizedString(QStringLiteral("RS_ShareRefused")));
    new ViewSharingRemoteDownload({QStringLiteral("/srv/AB12/report.txt")}, window.get());
    new ViewSharingRemoteUpload(QStringLiteral("/srv/AB12"), QStringLiteral("AB12"), window.get());
    new ViewSharingRemoteEdit(RemoteSharing(), window.get());
    new DialogAddContact(window.get());
    scan("after the login");
    // What the input dialog answers to a code it refuses.
    DialogInput_Setting rule;
    rule.configure(QString(), QString(), {}, 0, 30, DialogInput_Setting_ValidType::dsvPassword, false);
    for (const QString &refused : {QStringLiteral("a b"), QString(31, u'a')}) {
        const QString left = englishLeftIn(DialogInputView::refusal(rule, refused), names);
        if (!left.isEmpty())
            found << QStringLiteral("input refusal: \"%1\"").arg(left);
    }
    EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
}

TEST_F(MainWindow, AtTheSmallestSizeNoControlIsCutOffAndTheShareFieldsStayUsable)
{
    storeSampleData(testAccount().id_acc);
    showMainView();
    finishLogin();
    window->resize(MainView::minimumWidth, MainView::minimumHeight);
    for (const MainView::Page page : {MainView::pageLocalShares, MainView::pageRemoteHosts, MainView::pageSettings}) {
        window->selectPage(page);
        QTest::qWait(30);
        QWidget *shown = window->findChild<QStackedWidget *>(QStringLiteral("pages"))->currentWidget();
        for (QWidget *widget : shown->findChildren<QWidget *>()) {
            if (!widget->isVisible() || widget->isWindow() || widget->width() == 0)
                continue;
            // A control lies within its page's width (a scroll area may move it up or down only).
            const QRect at(widget->mapTo(shown, QPoint(0, 0)), widget->size());
            EXPECT_LE(at.right(), shown->width()) << shown->objectName().toStdString() << " cuts off "
                                                  << widget->objectName().toStdString();
            EXPECT_GE(at.left(), 0) << widget->objectName().toStdString();
        }
    }
    window->selectPage(MainView::pageLocalShares);
    QTest::qWait(30);
    // A path and a link of some 30 characters can be read whole.
    for (const char *name : {"pathField", "linkField"}) {
        auto *field = window->findChild<QLineEdit *>(QString::fromLatin1(name));
        ASSERT_TRUE(field);
        EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(QString(30, u'm')) / 2 + 60) << name;
    }
}

} // namespace
