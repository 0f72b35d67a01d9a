// The receive-files sheet as the user sees it: it opens with an offer, shows who offers what, the
// folder and the count-down, and its buttons follow the receive from decision to end.

#include "bridge_state_reset.h"
#include "contacts_test_support.h"
#include "received_folder.h"
#include "scripted_delivery_bridge.h"
#include "test_home.h"
#include "theme.h"
#include "util_system.h"
#include "view_receive_file.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

class ReceiveSheet : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Theme::applyToApplication(*qApp);
        ContactsTest::resetAll();
        window.show();
        sheet.task().setTickIntervalMs(600000);
        mainView.onChanged = [this] { sheet.onStateChanged(); };
    }
    void TearDown() override
    {
        UtilSystem::setPanelProvider({});
        BridgeState::resetForTests();
    }

    void offer(const QString &from = QStringLiteral("pat@example.com"),
               const QString &summary = QStringLiteral("3 items: Quarterly report.pdf, Photos, notes.txt"))
    {
        CtlViewReceiveFile state;
        state.Session = QStringLiteral("PEER|ME");
        state.Summary = summary;
        state.FromUser = from;
        state.UUID = from + summary;
        state.isShowView = true;
        mainView.setCtlViewReceiveFile(state);
    }
    QString text(const char *name) { return sheet.findChild<QLabel *>(QString::fromLatin1(name))->text(); }
    bool shows(const char *name) { return sheet.findChild<QWidget *>(QString::fromLatin1(name))->isVisible(); }
    void click(const char *name)
    {
        QTest::mouseClick(sheet.findChild<QAbstractButton *>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    QString folderShown() { return sheet.findChild<QLineEdit *>(QStringLiteral("folderField"))->text(); }

    QWidget window;
    FakeMainView mainView;
    ViewReceiveFile sheet{mainView, QString(), QString(), true, &window};
};

} // namespace

TEST_F(ReceiveSheet, OpensWithTheOfferAndClosesWhenTheStateSaysSo)
{
    offer();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_EQ(text("titleLabel"), QStringLiteral("Receive Files"));
    EXPECT_EQ(text("fromLabel"), QStringLiteral("pat@example.com wants to send you files"));
    EXPECT_EQ(text("summaryLabel"), QStringLiteral("3 items: Quarterly report.pdf, Photos, notes.txt"));
    EXPECT_EQ(folderShown(), ReceivedFolder::defaultPath());
    EXPECT_EQ(text("countDownLabel"), QStringLiteral("Refused automatically in 30 s"));
    EXPECT_TRUE(shows("acceptButton") && shows("refuseButton"));
    EXPECT_FALSE(shows("cancelButton") || shows("closeSheetButton"));
    EXPECT_TRUE(sheet.task().isTicking());
    sheet.task().tick();
    sheet.task().tick();
    EXPECT_EQ(text("countDownLabel"), QStringLiteral("Refused automatically in 28 s"));

    // The sender withdrew: the peer side clears the flag.
    CtlViewReceiveFile state = mainView.state;
    state.isShowView = false;
    mainView.setCtlViewReceiveFile(state);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_FALSE(sheet.task().isTicking());
}

TEST_F(ReceiveSheet, AnAcceptedReceiveShowsItsProgressAndItsEnd)
{
    ScriptedDeliveryBridge bridge;
    ASSERT_TRUE(bridge.connectClient());
    offer();
    click("acceptButton");
    EXPECT_EQ(mainView.state.taskState, ReceivedFolder::defaultPath());
    EXPECT_FALSE(shows("acceptButton") || shows("countDownLabel"));
    EXPECT_TRUE(shows("cancelButton") && shows("progressBar"));
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Waiting for the sender to start…"));
    EXPECT_FALSE(sheet.findChild<QToolButton *>(QStringLiteral("chooseFolderButton"))->isEnabled());

    bridge.statuses = {ScriptedDeliveryBridge::status(2, 50.0, 1), ScriptedDeliveryBridge::status(3, 100.0, 2)};
    sheet.task().tick();
    ASSERT_TRUE(waitFor([&] { return sheet.findChild<QProgressBar *>(QStringLiteral("progressBar"))->value() == 500; }));
    EXPECT_EQ(text("progressLabel"), QStringLiteral("1 of 2 files · 6.00 bytes of 12.00 bytes"));
    EXPECT_EQ(text("currentFileLabel"), QStringLiteral("b.txt"));
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Receiving…"));
    sheet.task().tick();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsFinished; }));
    EXPECT_EQ(text("statusLabel"), QStringLiteral("All files received in ") + ReceivedFolder::defaultPath());
    EXPECT_TRUE(shows("closeSheetButton"));
    EXPECT_FALSE(shows("cancelButton"));

    // Escape closes the finished sheet as its Close button does.
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsFinished);
}

TEST_F(ReceiveSheet, RefuseEscapeAndCancelEachEndTheOffer)
{
    offer();
    click("refuseButton");
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("2"));

    offer(QStringLiteral("lee@example.com"));
    ASSERT_TRUE(sheet.isVisible());
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("2"));

    // Escape on a running receive cancels it; the Cancel button leaves the sheet up to say so.
    for (const bool byEscape : {true, false}) {
        offer(QStringLiteral("kim@example.com"), byEscape ? QStringLiteral("a") : QStringLiteral("b"));
        click("acceptButton");
        ASSERT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
        if (byEscape)
            QTest::keyClick(&sheet, Qt::Key_Escape);
        else
            click("cancelButton");
        EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld);
        EXPECT_EQ(sheet.isVisible(), !byEscape);
    }
    EXPECT_EQ(text("statusLabel"), QStringLiteral("You cancelled the transfer."));
    click("closeSheetButton");
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_FALSE(mainView.state.isShowView);
}

TEST_F(ReceiveSheet, TheFolderIsChosenInAPanelAndPeerTextsAreShownPlainAndCutShort)
{
    const QString chosen = TestHome::path() + QStringLiteral("/From contacts");
    QDir().mkpath(chosen);
    QString askedTitle;
    UtilSystem::setPanelProvider({[&](const QString &title, bool chooseDir, QObject *, auto done) {
                                      askedTitle = chooseDir ? title : QString();
                                      done({chosen});
                                  },
                                  {}});
    offer(QStringLiteral("<b>boss</b>"), QString(5000, QLatin1Char('x')));
    EXPECT_EQ(sheet.findChild<QLabel *>(QStringLiteral("fromLabel"))->textFormat(), Qt::PlainText);
    EXPECT_EQ(text("fromLabel"), QStringLiteral("<b>boss</b> wants to send you files"));
    EXPECT_EQ(text("summaryLabel"), QString(600, QLatin1Char('x')) + QStringLiteral("…"));
    EXPECT_LT(sheet.height(), 600);

    click("chooseFolderButton");
    ASSERT_TRUE(waitFor([&] { return folderShown() == chosen; }));
    EXPECT_EQ(askedTitle, QStringLiteral("Choose a folder for received files"));
    click("acceptButton");
    EXPECT_EQ(mainView.state.taskState, chosen);
}
