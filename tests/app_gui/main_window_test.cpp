// The main window as the user meets it: the side navigation's pages, titles and colours, the
// login sheet over the window, the account badge, where the keyboard goes when pages change and
// dialogs close, the toast and dialogs that pages reach through the window, the receive-files
// sheet, and the local shares page following the account.

#include "app_gui_support.h"

#include "build_settings.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "host_name_fetcher.h"
#include "sharing_obj.h"
#include "sharing_obj_list.h"
#include "side_nav_item_view.h"
#include "toast_overlay.h"
#include "url_catcher.h"
#include "view_contact.h"
#include "view_receive_file.h"
#include "view_sharing_detail.h"
#include "view_sharing_local.h"
#include "web_pages.h"
#include "widget_fit.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include <array>

namespace {

using Colours = std::array<QString, MainView::pageCount>;

class MainWindow : public ShellTest
{
protected:
    QString bannerTitle() const { return child<QLabel>("bannerTitle")->text(); }
    QString shownPage() const { return child<QStackedWidget>("pages")->currentWidget()->objectName(); }
    // Page p selected: its button in the selected colours, every other one in border.
    static std::pair<Colours, Colours> selected(qint64 p, const QString &border)
    {
        Colours colours, borders;
        for (size_t i = 0; i < colours.size(); ++i) {
            colours[i] = qint64(i) == p ? "ColorMain0" : "navDisabled";
            borders[i] = qint64(i) == p ? "activeBorder" : border;
        }
        return {colours, borders};
    }
    std::pair<Colours, Colours> colours() const { return {window->colorShowingView(), window->colorShowingViewBorder()}; }
};

TEST_F(MainWindow, NavigationSelectsPagesTitlesAndColours)
{
    showMainView();
    EXPECT_EQ(window->windowTitle(), "Fenmar");
    EXPECT_EQ(child<QLabel>("versionLabel")->text(), "Ver. 3.1.3");
    window->resize(200, 100);
    EXPECT_EQ(window->size(), QSize(640, 480));
    // At start: local shares, the other borders in the navigation's background.
    EXPECT_EQ(shownPage(), "pageLocalShares");
    EXPECT_EQ(bannerTitle(), "Local Shares");
    EXPECT_EQ(colours(), selected(0, "navBG"));
    finishLogin();

    // A click on the page shown turns the other borders grey; nothing else changes.
    const struct {
        const char *button;
        qint64 page;
        const char *shown;
        const char *title;
    } clicks[] = {{"navLocalShares", 0, "pageLocalShares", "Local Shares"},
                  {"navRemoteHosts", 1, "pageRemoteHosts", "Remote Hosts"},
                  {"navSettings", 3, "pageSettings", "Settings"},
                  {"navLocalShares", 0, "pageLocalShares", "Local Shares"}};
    for (const auto &c : clicks) {
        QTest::mouseClick(child<SideNavItemView>(c.button), Qt::LeftButton);
        EXPECT_EQ(window->iViewIndex(), c.page) << c.button;
        EXPECT_EQ(shownPage(), c.shown) << c.button;
        EXPECT_EQ(bannerTitle(), c.title) << c.button;
        EXPECT_EQ(colours(), selected(c.page, "navDisabled")) << c.button;
        for (qint64 i = 0; i < MainView::pageCount; ++i)
            EXPECT_EQ(window->isShowingView()[size_t(i)], i == c.page) << c.button << i;
    }

    // Three buttons; the page for sending files is built, but nothing selects it.
    QStringList icons;
    for (SideNavItemView *button : window->findChildren<SideNavItemView *>())
        icons << button->icon();
    EXPECT_EQ(icons, QStringList({"globe", "person.icloud.fill", "gearshape.circle.fill"}));
    EXPECT_TRUE(qobject_cast<ViewContact *>(child<QStackedWidget>("pages")->widget(MainView::pageSendFiles)));
    for (const qint64 outside : {-1, 4}) {
        window->selectPage(outside);
        EXPECT_EQ(window->iViewIndex(), 0) << outside;
        EXPECT_EQ(shownPage(), "pageLocalShares") << outside;
    }
}

TEST_F(MainWindow, TheLoginSheetOpensOnceHidingTheNavigationUntilItCloses)
{
    showMainView();
    EXPECT_EQ(Env::globalMainView, window.get());
    EXPECT_EQ(MainViewUi::current(), window.get());
    EXPECT_EQ(Env::globalLoginView, &window->loginSheet());
    EXPECT_TRUE(window->isShowLogin());
    EXPECT_FALSE(child("sideNavigation")->isVisible());
    EXPECT_TRUE(child("banner")->isVisible() && child("pages")->isVisible());

    window->selectPage(MainView::pageSettings);
    finishLogin();
    EXPECT_FALSE(window->isShowLogin());
    EXPECT_TRUE(child("sideNavigation")->isVisible());
    EXPECT_EQ(shownPage(), "pageSettings") << "the selection is kept";

    // Minimised and shown again: the window keeps its state, the sheet stays closed.
    window->showMinimized();
    window->showNormal();
    ASSERT_TRUE(waitForPostedEvents());
    EXPECT_FALSE(window->loginSheet().isVisible());
    EXPECT_FALSE(window->isShowLogin());

    window.reset();
    EXPECT_EQ(Env::globalMainView, nullptr);
    EXPECT_EQ(MainViewUi::current(), nullptr);
}

TEST_F(MainWindow, TheBadgeShowsTheAccountAndItAndTheSheetsLinksOpenTheServicesPages)
{
    UrlCatcher browser;
    showMainView();
    auto *name = child<QLabel>("accountName");
    auto *label = child<QLabel>("memberTypeLabel");
    EXPECT_EQ(name->text(), "Anonymous");
    const std::pair<int, const char *> types[] = {{0, "MemberType_FreeUser"}, {1, "MemberType_Ano"}, {2, "MemberType_Std"},
                                                  {3, "MemberType_Adv"},      {4, "MemberType_Exp"}, {5, "MemberType_Ano"},
                                                  {-1, "MemberType_Ano"}};
    for (const auto &[type, key] : types) {
        Env::userInfo.mbr_type = type;
        window->onUserInfoReplaced();
        EXPECT_EQ(label->text(), localizedString(QString::fromLatin1(key))) << type;
    }
    Env::userInfo.name_acc = QStringLiteral("MemberType_Std");
    window->onUserInfoReplaced();
    EXPECT_EQ(name->text(), "MemberType_Std") << "the name is shown as it is, not looked up";

    emit window->loginSheet().findChild<QLabel *>(QStringLiteral("loginLinks"))->linkActivated(WebPages::registration());
    finishLogin();
    QTest::mouseClick(child("accountBadge"), Qt::LeftButton);
    QTest::keyClick(child("accountBadge"), Qt::Key_Return);
    ASSERT_EQ(browser.opened.size(), 3);
    EXPECT_EQ(browser.opened.at(0).path(), "/register");
    for (int i : {1, 2}) {
        EXPECT_EQ(browser.opened.at(i).path(), "/console");
        EXPECT_EQ(browser.opened.at(i).host(), QUrl(QString::fromUtf8(BuildSettings::webHost)).host());
    }
}

// In either language. The badge's name and member type hang 25 and 40 below the middle of its
// symbol, which keeps 20 of room below it; the badge reaches only as far down as they need.
TEST_F(MainWindow, TheBannersRowHasTwentyAboveAndTenAtTheLeft)
{
    for (const QLocale &language : englishAndChinese) {
        SCOPED_TRACE(language.name().toStdString());
        QLocale::setDefault(language);
        window.reset();
        showMainView();
        finishLogin();
        QWidget *banner = child("banner");
        QRect covered;
        for (QWidget *item : banner->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            covered |= item->geometry();
        EXPECT_EQ(covered.left(), 10);
        EXPECT_EQ(covered.top(), 20);
        // Nothing else: the badge ends at the banner's end and its own foot ends the banner.
        EXPECT_EQ(covered.right() + 1, banner->width());
        EXPECT_EQ(covered.bottom() + 1, banner->height());

        QWidget *badge = child("accountBadge");
        const QRectF symbol = child("accountSymbol")->geometry();
        const QRectF name = child("accountName")->geometry();
        const QRectF memberType = child("memberTypeLabel")->geometry();
        EXPECT_EQ(symbol.size(), QSizeF(32, 32));
        EXPECT_EQ(symbol.center().x(), badge->width() / 2.0);
        EXPECT_NEAR(name.center().y() - symbol.center().y(), 25, 0.5);
        EXPECT_NEAR(memberType.center().y() - symbol.center().y(), 40, 0.5);
        EXPECT_EQ(QPair(name.width(), memberType.width()), QPair(120.0, 120.0));
        EXPECT_EQ(badge->height(), std::max({symbol.bottom() + 20, name.bottom(), memberType.bottom()}));
    }
}

// Below the rule: the navigation keeps 10 above its buttons, each of which keeps 10 of its own
// above it, 13 before them and 5 after; the version text keeps 10 above and 5 below itself at the
// window's foot. The divider beside the navigation starts 5 below the rule. So at the usual and at
// the smallest size, in either language.
TEST_F(MainWindow, TheSideNavigationAndItsDividerKeepTheirRoomBelowTheRule)
{
    for (const QLocale &language : englishAndChinese) {
        QLocale::setDefault(language);
        window.reset();
        showMainView();
        finishLogin();
        for (const QSize size : {QSize(1000, 680), QSize(640, 480)}) {
            SCOPED_TRACE((language.name() + u' ' + QString::number(size.height())).toStdString());
            window->resize(size);
            QWidget *navigation = child("sideNavigation");
            const auto top = [&](QWidget *widget) { return widget->mapTo(window.get(), QPoint()).y(); };
            const auto bottom = [&](QWidget *widget) { return top(widget) + widget->height(); };
            const int rule = bottom(child("bannerRule"));
            ASSERT_TRUE(waitFor([&] { return bottom(navigation) == window->centralWidget()->height(); }));

            const QList<QWidget *> buttons{child("navLocalShares"), child("navRemoteHosts"), child("navSettings")};
            EXPECT_EQ(top(buttons.at(0)) - rule, 10 + 10);
            for (qsizetype i = 1; i < buttons.size(); ++i)
                EXPECT_EQ(top(buttons.at(i)) - bottom(buttons.at(i - 1)), 10) << i;
            for (QWidget *button : buttons) {
                EXPECT_EQ(button->x(), 13);
                EXPECT_EQ(navigation->width() - button->geometry().right() - 1, 5);
            }
            QWidget *version = child("versionLabel");
            EXPECT_EQ(bottom(navigation) - bottom(version), 5);
            EXPECT_GE(top(version) - bottom(buttons.last()), 10);
            EXPECT_TRUE(cutWidgets(navigation).isEmpty()) << cutWidgets(navigation).join(u'\n').toStdString();

            QWidget *divider = child("navigationDivider");
            EXPECT_EQ(top(divider) - rule, 5);
            EXPECT_EQ(bottom(divider), bottom(navigation));
            EXPECT_EQ(divider->mapTo(window.get(), QPoint()).x(), navigation->width());
        }
    }
}

TEST_F(MainWindow, TheKeyboardStaysWhereTheUserWasAndNeverFallsToTheBadge)
{
    storeShare("AB12", "Photos");
    showMainView("accountBadge");
    // Where the keyboard is once the window is active again, as a window manager makes it when a
    // panel over it has closed.
    const auto keyboardOn = [this](const char *name) {
        QWidget *expected = child(name);
        return expected && waitFor([&] {
                   window->activateWindow();
                   return QApplication::focusWidget() == expected;
               });
    };
    const auto press = [this](const char *name, Qt::Key key) {
        child(name)->setFocus();
        QTest::keyClick(child(name), key);
    };

    // The login sheet, which no control opened (not the badge), leaves the keyboard on the page's
    // first control.
    finishLogin();
    EXPECT_TRUE(keyboardOn("consoleButton"));

    // A page chosen from the keyboard starts at its first control.
    for (const auto &[button, first] : {std::pair{"navRemoteHosts", "addHostButton"}, {"navSettings", "downloadFolderField"},
                                        {"navLocalShares", "consoleButton"}}) {
        press(button, Qt::Key_Space);
        EXPECT_TRUE(keyboardOn(first)) << button;
    }

    // A closed dialog gives the keyboard back to the control that opened it.
    press("accessCodeButton", Qt::Key_Space);
    auto *input = child<DialogInputView>("mainInputDialog");
    ASSERT_TRUE(waitFor([&] { return input->isVisible(); }));
    QTest::keyClick(input->focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(keyboardOn("accessCodeButton"));
    auto *confirm = child<DialogConfirmView>("mainConfirmDialog");
    press("removeButton", Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return confirm->isVisible(); }));
    QTest::keyClick(confirm->focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(keyboardOn("removeButton"));
    // The control went with the share it removed: the keyboard goes to the page.
    press("removeButton", Qt::Key_Space);
    ASSERT_TRUE(waitFor([&] { return confirm->isVisible(); }));
    QTest::mouseClick(confirm->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return window->sharingObjList().items().isEmpty(); }));
    EXPECT_TRUE(keyboardOn("consoleButton"));
}

TEST_F(MainWindow, PagesReachTheWindowsToastConfirmAndInputDialogs)
{
    showMainView();
    finishLogin();
    MainViewUi &ui = *MainViewUi::current();
    ui.showToast(QStringLiteral("Folder added."));
    EXPECT_EQ(window->alertToast(), AlertToast::notice(QStringLiteral("Folder added.")));
    EXPECT_TRUE(window->toastOverlay().isVisible());
    EXPECT_EQ(window->toastOverlay().duration(), std::chrono::milliseconds(880));
    EXPECT_TRUE(waitFor([this] { return !window->isShowToast(); }));
    ui.showUpdateResult(false);
    EXPECT_EQ(window->alertToast(), AlertToast::result(false, localizedString("Sys_Update_Failed")));
    Env::globalMainView->showToast(QStringLiteral("Peer left."));
    EXPECT_EQ(window->alertToast().title(), "Peer left.");

    int confirmed = 0;
    ui.dialogConfirmSetting().setOkAction([&] { ++confirmed; });
    ui.showConfirmDialog();
    auto *confirm = child<DialogConfirmView>("mainConfirmDialog");
    ASSERT_TRUE(waitFor([&] { return confirm->isVisible() && window->isShowConfirmDialog(); }));
    QTest::mouseClick(confirm->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !confirm->isVisible() && !window->isShowConfirmDialog(); }));
    EXPECT_EQ(confirmed, 1);

    QStringList accepted;
    DialogInput_Setting &setting = ui.dialogInputSetting();
    setting.configure(QStringLiteral("Access code"), QString(), [&] { accepted << setting.value(); }, 0, 30,
                      DialogInput_Setting_ValidType::dsvPassword, true);
    ui.showInputDialog();
    auto *input = child<DialogInputView>("mainInputDialog");
    ASSERT_TRUE(waitFor([&] { return input->isVisible() && window->isShowDialog_Input(); }));
    QTest::keyClicks(input->findChild<QLineEdit *>(QStringLiteral("inputField")), QStringLiteral("Abcd1234"));
    QTest::mouseClick(input->findChild<QPushButton *>(QStringLiteral("okButton")), Qt::LeftButton);
    EXPECT_TRUE(waitFor([&] { return !input->isVisible() && !window->isShowDialog_Input(); }));
    EXPECT_EQ(accepted, QStringList({"Abcd1234"}));
}

TEST_F(MainWindow, AnOfferOpensTheReceiveSheetOnEveryPageAndClosesWithIt)
{
    showMainView();
    finishLogin();
    auto *sheet = child<ViewReceiveFile>("receiveSheet");
    ASSERT_TRUE(sheet && !sheet->isVisible());
    CtlViewReceiveFile offer;
    offer.isShowView = true;
    offer.Session = QStringLiteral("PEER|ME");
    offer.FromUser = QStringLiteral("ann@example.com");
    offer.UUID = QStringLiteral("OFFER-1");
    window->selectPage(MainView::pageSettings);
    Env::globalMainView->setCtlViewReceiveFile(offer);
    ASSERT_TRUE(sheet->isVisible());
    QTest::mouseClick(sheet->findChild<QPushButton *>(QStringLiteral("refuseButton")), Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(window->ctlViewReceiveFile().isShowView);
    EXPECT_EQ(window->ctlViewReceiveFile().taskState, "2");

    window->selectPage(MainView::pageLocalShares);
    offer.UUID = QStringLiteral("OFFER-2");
    Env::globalMainView->setCtlViewReceiveFile(offer);
    EXPECT_TRUE(sheet->isVisible());
    offer.isShowView = false;
    Env::globalMainView->setCtlViewReceiveFile(offer);
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(MainWindow, TheLocalSharesPageFollowsTheLoginSheetAndTheAccountsHostName)
{
    storeShare("AB12", "Photos", true);
    storeShare("CD34", "Music");
    showMainView();
    auto *page = window->findChild<ViewSharingLocal *>();
    auto *console = page->findChild<QPushButton *>(QStringLiteral("consoleButton"));
    const auto links = [&](const char *host) {
        QStringList shown;
        for (ViewSharingDetail *pane : page->panes())
            shown << pane->findChild<QLineEdit *>(QStringLiteral("linkField"))->text();
        return shown == QStringList({shareHostLink(host) + "CD34", shareHostLink(host)});
    };
    EXPECT_TRUE(page->isShowLogin());
    EXPECT_TRUE(window->sharingObjList().items().isEmpty());
    // Behind the sheet the empty add button stays where it is after the login: 20 below the top,
    // 5 from the trailing edge.
    auto *add = page->findChild<QPushButton *>(QStringLiteral("addShareButton"));
    QCoreApplication::sendPostedEvents(); // the page's pending layout
    EXPECT_TRUE(add->isVisible());
    EXPECT_EQ(add->mapTo(page, QPoint(0, 0)).y(), 20);
    EXPECT_EQ(page->width() - add->mapTo(page, QPoint(add->width(), 0)).x(), 5);

    // The sheet closes on a login: the account's shares come, with its host name in their links.
    UserInfo account = testAccount();
    account.hostname = QStringLiteral("myhost");
    CapturedOutput output;
    finishLogin(account);
    EXPECT_EQ(output.lines().count("ReloadSharingList"), 1);
    EXPECT_FALSE(page->isShowLogin());
    EXPECT_EQ(console->text(), "Change Host Name (myhost)");
    EXPECT_TRUE(waitFor([&] { return links("myhost"); }));

    // A new host name from the service: the list is reloaded and every link follows.
    emit window->hostNameFetcher().hostNameReported(QStringLiteral("renamed"));
    EXPECT_EQ(console->text(), "Change Host Name (renamed)");
    EXPECT_TRUE(waitFor([&] { return links("renamed"); }));
}

} // namespace
