// The receive-files sheet as the user sees it: it opens with an offer, shows who offers what, the
// folder and the count-down, and its buttons follow the receive from decision to end.

#include "bridge_state_reset.h"
#include "contacts_test_support.h"
#include "received_folder.h"
#include "scripted_delivery_bridge.h"
#include "test_home.h"
#include "theme.h"
#include "util_db.h"
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
        window.resize(900, 600);
        window.show();
        sheet.task().setTickIntervalMs(600000);
        mainView.onChanged = [this] { sheet.onStateChanged(); };
    }
    void TearDown() override
    {
        UtilSystem::setPanelProvider({});
        BridgeState::resetForTests();
        UtilDB::close();
    }

    void offer()
    {
        CtlViewReceiveFile state;
        state.Session = QStringLiteral("PEER|ME");
        state.Summary = QStringLiteral("3 items: Quarterly report.pdf, Photos, notes.txt");
        state.FromUser = QStringLiteral("pat@example.com");
        state.UUID = QStringLiteral("OFFER-1");
        state.isShowView = true;
        mainView.setCtlViewReceiveFile(state);
    }
    QString text(const char *name) { return sheet.findChild<QLabel *>(QString::fromLatin1(name))->text(); }
    bool shows(const char *name) { return sheet.findChild<QWidget *>(QString::fromLatin1(name))->isVisible(); }
    QPushButton *button(const char *name) { return sheet.findChild<QPushButton *>(QString::fromLatin1(name)); }

    QWidget window;
    FakeMainView mainView;
    ViewReceiveFile sheet{mainView, QString(), QString(), true, &window};
};

} // namespace

TEST_F(ReceiveSheet, OpensWithTheOfferAndClosesWhenTheStateSaysSo)
{
    EXPECT_FALSE(sheet.isVisible());
    offer();
    ASSERT_TRUE(sheet.isVisible());
    EXPECT_TRUE(sheet.isModal() || sheet.windowModality() == Qt::WindowModal);
    EXPECT_EQ(sheet.findChild<QLabel *>(QStringLiteral("titleLabel"))->text(), QStringLiteral("Receive Files"));
    EXPECT_EQ(text("fromLabel"), QStringLiteral("pat@example.com wants to send you files"));
    EXPECT_EQ(text("summaryLabel"), QStringLiteral("3 items: Quarterly report.pdf, Photos, notes.txt"));
    EXPECT_EQ(sheet.findChild<QLineEdit *>(QStringLiteral("folderField"))->text(), ReceivedFolder::defaultPath());
    EXPECT_EQ(text("countDownLabel"), QStringLiteral("Refused automatically in 30 s"));
    EXPECT_TRUE(shows("acceptButton"));
    EXPECT_TRUE(shows("refuseButton"));
    EXPECT_FALSE(shows("cancelButton"));
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

TEST_F(ReceiveSheet, AcceptShowsTheReceiveAndItsCancel)
{
    offer();
    QTest::mouseClick(button("acceptButton"), Qt::LeftButton);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
    EXPECT_EQ(mainView.state.taskState, ReceivedFolder::defaultPath());
    EXPECT_FALSE(shows("acceptButton"));
    EXPECT_FALSE(shows("countDownLabel"));
    EXPECT_TRUE(shows("cancelButton"));
    EXPECT_TRUE(shows("progressBar"));
    EXPECT_EQ(text("statusLabel"), QStringLiteral("Waiting for the sender to start…"));
    EXPECT_FALSE(sheet.findChild<QToolButton *>(QStringLiteral("chooseFolderButton"))->isEnabled());

    QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld);
    EXPECT_EQ(text("statusLabel"), QStringLiteral("You cancelled the transfer."));
    EXPECT_TRUE(shows("closeSheetButton"));
    QTest::mouseClick(button("closeSheetButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_FALSE(mainView.state.isShowView);
}

TEST_F(ReceiveSheet, RefuseAndEscapeBothDecline)
{
    offer();
    QTest::mouseClick(button("refuseButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("2"));

    offer();
    ASSERT_TRUE(sheet.isVisible());
    QTest::keyClick(&sheet, Qt::Key_Escape);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(mainView.state.taskState, QStringLiteral("2"));
}

TEST_F(ReceiveSheet, AChosenFolderIsShownAndUsed)
{
    const QString chosen = TestHome::path() + QStringLiteral("/From contacts");
    QDir().mkpath(chosen);
    QString askedTitle;
    UtilSystem::setPanelProvider({[&](const QString &title, bool chooseDir, auto done) {
                                      askedTitle = title;
                                      EXPECT_TRUE(chooseDir);
                                      done({chosen});
                                  },
                                  {}});
    offer();
    QTest::mouseClick(sheet.findChild<QToolButton *>(QStringLiteral("chooseFolderButton")), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return sheet.findChild<QLineEdit *>(QStringLiteral("folderField"))->text() == chosen; }));
    EXPECT_EQ(askedTitle, QStringLiteral("Choose a folder for received files"));
    QTest::mouseClick(button("acceptButton"), Qt::LeftButton);
    EXPECT_EQ(mainView.state.taskState, chosen);
}

TEST_F(ReceiveSheet, ProgressAndTheEndAreShown)
{
    ScriptedDeliveryBridge bridge;
    ASSERT_TRUE(bridge.connectClient());
    bridge.statuses = {ScriptedDeliveryBridge::status(2, 50.0, 1), ScriptedDeliveryBridge::status(3, 100.0, 2, 2, true)};
    offer();
    QTest::mouseClick(button("acceptButton"), Qt::LeftButton);
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
}

TEST_F(ReceiveSheet, TextsFromThePeerAreShownPlainAndCutShort)
{
    CtlViewReceiveFile state;
    state.FromUser = QStringLiteral("<b>boss</b>");
    state.Summary = QString(5000, QLatin1Char('x'));
    state.UUID = QStringLiteral("OFFER-9");
    state.isShowView = true;
    mainView.setCtlViewReceiveFile(state);
    ASSERT_TRUE(sheet.isVisible());
    auto *from = sheet.findChild<QLabel *>(QStringLiteral("fromLabel"));
    EXPECT_EQ(from->textFormat(), Qt::PlainText);
    EXPECT_TRUE(from->text().startsWith(QStringLiteral("<b>boss</b>")));
    EXPECT_EQ(text("summaryLabel"), QString(600, QLatin1Char('x')) + QStringLiteral("…"));
    EXPECT_LT(sheet.height(), 600);
}
