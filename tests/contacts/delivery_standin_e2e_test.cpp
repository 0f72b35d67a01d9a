// End to end through the stand-in bridge, whose loopback peer is this same client: the user sends
// files to their own account as a contact; the receive sheet opens with the offer, and the
// delivery runs through the bridge into the receive folder. Each case runs in a private network of
// its own.

#include "bridge_message.h"
#include "bridge_state_reset.h"
#include "build_settings.h"
#include "contact_sender.h"
#include "contacts_test_support.h"
#include "control_requests.h"
#include "env.h"
#include "lenient_json.h"
#include "peer_request_handler.h"
#include "private_network.h"
#include "received_folder.h"
#include "standin_bridge_process.h"
#include "test_home.h"
#include "theme.h"
#include "view_receive_file.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using ContactsTest::filesBelow;

namespace {

QByteArray contentOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class DeliveryEndToEnd : public ::testing::Test
{
protected:
    void TearDown() override
    {
        sheet.reset();
        BridgeState::resetForTests();
    }

    // Signs in through a stand-in that pauses copyDelayMs per block copied, and makes this account
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
        me.email = QStringLiteral("pat@example.com");
        const QString url = QString::fromUtf8(BuildSettings::apiBaseUrl)
                            + QStringLiteral("account/acode/get/index.php?Token=") + Env::userInfo.Token;
        P2PClientMsg::SendMsgToP2PClient(QStringLiteral("CallHttp"), CallHttpInfo{url, 5}, true,
                                         [this](const std::optional<LenientJson> &answer) {
                                             if (answer)
                                                 me.accessCode = LenientJson::parse(answer->stringValue())["Info"].stringValue();
                                         });
        ASSERT_TRUE(waitFor([&] { return !me.accessCode.isEmpty(); }));

        Env::globalMainView = &mainView;
        window.show();
        sheet = std::make_unique<ViewReceiveFile>(mainView, QString(), QString(), true, &window);
        sheet->task().setTickIntervalMs(100);
        mainView.onChanged = [this] { sheet->onStateChanged(); };
        sender.setTiming({200, 100});
    }
    // Sends paths and waits until the receive sheet shows the offer.
    void offer(const QStringList &paths)
    {
        ASSERT_TRUE(sender.start(me, paths));
        ASSERT_TRUE(waitFor([&] { return sheet->isVisible() && sender.state() == ViewContactState::vcsWaiting; }, 60000))
            << sender.message().toStdString();
    }
    QPushButton *button(const char *name) { return sheet->findChild<QPushButton *>(QString::fromLatin1(name)); }

    PeerRequests handler;
    std::unique_ptr<StandinBridgeProcess> standin;
    ContactPerson me;
    QWidget window;
    FakeMainView mainView;
    std::unique_ptr<ViewReceiveFile> sheet;
    ContactSender sender;
    const QString inbox = ReceivedFolder::defaultPath();
    const QString outbox = TestHome::path() + QStringLiteral("/Outbox");
};

} // namespace

TEST_F(DeliveryEndToEnd, AcceptedFilesArriveInTheReceiveFolder)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    begin(0);
    ContactsTest::writeFile(outbox + QStringLiteral("/report.bin"), 3'000'000);
    ContactsTest::writeFile(outbox + QStringLiteral("/photos/a.jpg"), 50'000);
    ContactsTest::writeFile(outbox + QStringLiteral("/photos/trip/b.jpg"), 10'000);
    offer({outbox + QStringLiteral("/report.bin"), outbox + QStringLiteral("/photos")});
    EXPECT_EQ(mainView.state.FromUser, QStringLiteral("pat@example.com"));
    EXPECT_EQ(mainView.state.Summary, QStringLiteral("2 items: report.bin, photos"));
    EXPECT_EQ(mainView.state.UUID, sender.offerUuid());

    QTest::mouseClick(button("acceptButton"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return sender.hasEnded(); }, 60000));
    ASSERT_EQ(sender.state(), ViewContactState::vcsFinished) << sender.message().toStdString();
    ASSERT_TRUE(waitFor([&] { return mainView.state.vrsState == ViewReceiveState::vrsFinished; }, 60000));
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("statusLabel"))->text(),
              QStringLiteral("All files received in ") + inbox);
    EXPECT_EQ(filesBelow(inbox), (QStringList{"photos/a.jpg", "photos/trip/b.jpg", "report.bin"}));
    for (const QString &file : filesBelow(inbox))
        EXPECT_EQ(contentOf(inbox + u'/' + file), contentOf(outbox + u'/' + file)) << file.toStdString();
}

TEST_F(DeliveryEndToEnd, CancellingFromEitherSideEndsBothAndLeavesNoPartialFile)
{
    if (!PrivateNetwork::inside())
        return PrivateNetwork::runThisTestInside();
    begin(25);
    ContactsTest::writeFile(outbox + QStringLiteral("/big.bin"), 6'000'000);
    for (const bool bySender : {true, false}) {
        SCOPED_TRACE(bySender ? "the sender cancels" : "the receiver cancels");
        offer({outbox + QStringLiteral("/big.bin")});
        QTest::mouseClick(button("acceptButton"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return sheet->task().progress().percent > 0; }, 60000));
        ASSERT_LT(sheet->task().progress().percent, 100.0) << "the copy is slow enough to be caught halfway";
        ASSERT_FALSE(filesBelow(inbox).isEmpty()) << "a file is being written";
        if (bySender)
            sender.cancel();
        else
            QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        ASSERT_TRUE(waitFor([&] { return sender.hasEnded() && mainView.state.vrsState == ViewReceiveState::vrsCanceld; }));
        EXPECT_EQ(sender.state(), ViewContactState::vcsCanceled);
        // The sender's cancel closes the receiver's sheet with a toast; the receiver's own stays up.
        EXPECT_EQ(sheet->isVisible(), !bySender);
        EXPECT_TRUE(waitFor([&] { return filesBelow(inbox).isEmpty(); })) << filesBelow(inbox).join(' ').toStdString();
    }
    EXPECT_EQ(mainView.toasts, QStringList{QStringLiteral("The sender has cancelled the transfer.")});
    EXPECT_EQ(sender.message(), QStringLiteral("The receiver cancelled the transfer."));
}
