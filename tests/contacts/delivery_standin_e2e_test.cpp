// End to end through the stand-in bridge, whose loopback peer is this same client: the user sends
// files to their own account as a contact; the receive sheet opens with the offer, and the
// delivery runs through the bridge into the receive folder.

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "build_settings.h"
#include "contact_sender.h"
#include "contacts_test_support.h"
#include "control_requests.h"
#include "env.h"
#include "lenient_json.h"
#include "p2p_requests_to_peers.h"
#include "peer_request_handler.h"
#include "received_folder.h"
#include "standin_bridge_process.h"
#include "test_home.h"
#include "theme.h"
#include "util_db.h"
#include "view_receive_file.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using ContactsTest::filesBelow;

namespace {

QByteArray digestOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

class DeliveryEndToEnd : public ::testing::Test
{
protected:
    void TearDown() override
    {
        sheet.reset();
        Env::globalMainView = nullptr;
        BridgeState::resetForTests();
        UtilDB::close();
    }

    // Signs in through a stand-in that copies with copyDelayMs per block, and makes this account
    // its own contact.
    void begin(int copyDelayMs)
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        Theme::applyToApplication(*qApp);
        ContactsTest::resetAll();
        BridgeMessage::peerRequestHandler = &handler;
        standin = std::make_unique<StandinBridgeProcess>(
            QMap<QString, QString>{{QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QString::number(copyDelayMs)}});
        ASSERT_TRUE(standin->start()) << "the stand-in bridge is built beside the tests";
        ASSERT_TRUE(signInThroughStandin(*standin, QStringLiteral("pat@example.com"), QStringLiteral("secret")));
        me.name = QStringLiteral("Pat");
        me.email = QStringLiteral("pat@example.com");
        me.accessCode = ownContactCode();
        ASSERT_FALSE(me.accessCode.isEmpty());

        Env::globalMainView = &mainView;
        window.resize(900, 600);
        window.show();
        sheet = std::make_unique<ViewReceiveFile>(mainView, QString(), QString(), true, &window);
        sheet->task().setTickIntervalMs(100);
        mainView.onChanged = [this] { sheet->onStateChanged(); };
        sender.setTiming({200, 100});
        inbox = ReceivedFolder::defaultPath();
        outbox = TestHome::path() + QStringLiteral("/Outbox");
    }

    QString ownContactCode()
    {
        QString code;
        bool answered = false;
        const CallHttpInfo info{QString::fromUtf8(BuildSettings::apiBaseUrl)
                                    + QStringLiteral("account/acode/get/index.php?Token=") + Env::userInfo.Token,
                                5};
        P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), info, true,
                                         [&](const std::optional<LenientJson> &answer) {
                                             answered = true;
                                             if (answer)
                                                 code = LenientJson::parse(answer->stringValue())["Info"].stringValue();
                                         });
        waitFor([&] { return answered; });
        return code;
    }

    // Sends paths and waits until the receive sheet shows the offer.
    void offer(const QStringList &paths)
    {
        ASSERT_TRUE(sender.start(me, paths));
        ASSERT_TRUE(waitFor([&] { return sheet->isVisible() && sender.state() == ViewContactState::vcsWaiting; }, 10000))
            << sender.message().toStdString();
    }
    QPushButton *button(const char *name) { return sheet->findChild<QPushButton *>(QString::fromLatin1(name)); }
    // Accepts and waits until the receive is under way.
    void acceptAndWaitForProgress()
    {
        QTest::mouseClick(button("acceptButton"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return sheet->task().progress().percent > 0; }, 10000));
        ASSERT_LT(sheet->task().progress().percent, 100.0) << "the copy is slow enough to be caught halfway";
        ASSERT_FALSE(filesBelow(inbox).isEmpty()) << "a file is being written";
    }

    PeerRequests handler;
    std::unique_ptr<StandinBridgeProcess> standin;
    ContactPerson me;
    QWidget window;
    FakeMainView mainView;
    std::unique_ptr<ViewReceiveFile> sheet;
    ContactSender sender;
    QString inbox;
    QString outbox;
};

} // namespace

TEST_F(DeliveryEndToEnd, AcceptedFilesArriveInTheReceiveFolder)
{
    begin(0);
    ContactsTest::writeFile(outbox + QStringLiteral("/report.bin"), 3'000'000);
    ContactsTest::writeFile(outbox + QStringLiteral("/photos/a.jpg"), 50'000);
    ContactsTest::writeFile(outbox + QStringLiteral("/photos/trip/b.jpg"), 10'000);
    offer({outbox + QStringLiteral("/report.bin"), outbox + QStringLiteral("/photos")});
    EXPECT_EQ(mainView.state.FromUser, QStringLiteral("pat@example.com"));
    EXPECT_EQ(mainView.state.Summary, QStringLiteral("2 items: report.bin, photos"));
    EXPECT_EQ(mainView.state.UUID, sender.offerUuid());
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("fromLabel"))->text(),
              QStringLiteral("pat@example.com wants to send you files"));

    QTest::mouseClick(button("acceptButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return sender.hasEnded(); }, 20000));
    ASSERT_EQ(sender.state(), ViewContactState::vcsFinished) << sender.message().toStdString();
    EXPECT_DOUBLE_EQ(sender.progress().percent, 100.0);
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsFinished; }, 5000));
    EXPECT_DOUBLE_EQ(sheet->task().progress().percent, 100.0);
    EXPECT_EQ(sheet->findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(), 1000);
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("statusLabel"))->text(),
              QStringLiteral("All files received in ") + inbox);

    EXPECT_EQ(filesBelow(inbox), (QStringList{"photos/a.jpg", "photos/trip/b.jpg", "report.bin"}));
    for (const QString &file : filesBelow(inbox))
        EXPECT_EQ(digestOf(inbox + u'/' + file), digestOf(outbox + u'/' + file)) << file.toStdString();
}

TEST_F(DeliveryEndToEnd, ARefusalEndsTheSendersWait)
{
    begin(0);
    ContactsTest::writeFile(outbox + QStringLiteral("/report.bin"), 1000);
    offer({outbox + QStringLiteral("/report.bin")});
    QTest::mouseClick(button("refuseButton"), Qt::LeftButton);
    EXPECT_FALSE(sheet->isVisible());
    ASSERT_TRUE(waitFor([&] { return sender.hasEnded(); }, 5000));
    EXPECT_EQ(sender.state(), ViewContactState::vcsRefused);
    EXPECT_EQ(sender.message(), QStringLiteral("The receiver refused the files."));
    spin(200);
    EXPECT_TRUE(filesBelow(inbox).isEmpty());
}

TEST_F(DeliveryEndToEnd, TheReceiverCancellingLeavesNoPartialFile)
{
    begin(25);
    ContactsTest::writeFile(outbox + QStringLiteral("/big.bin"), 6'000'000);
    offer({outbox + QStringLiteral("/big.bin")});
    acceptAndWaitForProgress();

    QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsCanceld);
    ASSERT_TRUE(waitFor([&] { return sender.hasEnded(); }, 10000));
    EXPECT_EQ(sender.state(), ViewContactState::vcsCanceled);
    EXPECT_EQ(sender.message(), QStringLiteral("The receiver cancelled the transfer."));
    EXPECT_TRUE(waitFor([&] { return filesBelow(inbox).isEmpty(); }, 5000)) << filesBelow(inbox).join(' ').toStdString();
}

TEST_F(DeliveryEndToEnd, TheSenderCancellingClosesTheSheetAndLeavesNoPartialFile)
{
    begin(25);
    ContactsTest::writeFile(outbox + QStringLiteral("/big.bin"), 6'000'000);
    offer({outbox + QStringLiteral("/big.bin")});
    acceptAndWaitForProgress();

    sender.cancel();
    EXPECT_EQ(sender.state(), ViewContactState::vcsCanceled);
    ASSERT_TRUE(waitFor([&] { return !sheet->isVisible(); }, 5000));
    EXPECT_FALSE(mainView.state.isShowView);
    EXPECT_EQ(mainView.toasts, QStringList{QStringLiteral("The sender has cancelled the transfer.")});
    EXPECT_TRUE(waitFor([&] { return filesBelow(inbox).isEmpty(); }, 5000)) << filesBelow(inbox).join(' ').toStdString();

    // The next offer opens the sheet again.
    offer({outbox + QStringLiteral("/big.bin")});
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsWaiting);
    EXPECT_EQ(mainView.state.UUID, sender.offerUuid());
}

TEST_F(DeliveryEndToEnd, ASecondOfferDuringAReceiveDoesNotTakeOverTheSheet)
{
    begin(10);
    ContactsTest::writeFile(outbox + QStringLiteral("/big.bin"), 3'000'000);
    offer({outbox + QStringLiteral("/big.bin")});
    acceptAndWaitForProgress();
    const QString firstOffer = sender.offerUuid();

    bool offered = false;
    PeerRequestSenders::offerFiles(QStringLiteral("holiday.zip"), QStringLiteral("lee@example.com"),
                                   QStringLiteral("SECOND-OFFER"), [&](const std::optional<LenientJson> &answer) {
                                       offered = answer.has_value();
                                   });
    ASSERT_TRUE(waitFor([&] { return offered; }));
    EXPECT_EQ(mainView.state.UUID, firstOffer);
    EXPECT_EQ(mainView.state.FromUser, QStringLiteral("pat@example.com"));
    EXPECT_EQ(mainView.state.vrsState, ViewReceiveState::vrsRunning);
    EXPECT_TRUE(sheet->isVisible());

    QString decision;
    PeerRequestSenders::askReceiverDecision(QStringLiteral("SECOND-OFFER"), [&](const std::optional<LenientJson> &answer) {
        decision = answer ? (*answer)["data"].stringValue() : QStringLiteral("none");
    });
    ASSERT_TRUE(waitFor([&] { return !decision.isEmpty(); }));
    EXPECT_EQ(decision, QStringLiteral("2")) << "the second sender hears a refusal";

    ASSERT_TRUE(waitFor([&] { return sender.hasEnded(); }, 20000));
    EXPECT_EQ(sender.state(), ViewContactState::vcsFinished) << sender.message().toStdString();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsFinished; }, 5000));
    EXPECT_EQ(digestOf(inbox + QStringLiteral("/big.bin")), digestOf(outbox + QStringLiteral("/big.bin")));
}
