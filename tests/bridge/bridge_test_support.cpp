#include "bridge_test_support.h"

#include "bridge_link.h"
#include "bridge_state_reset.h"
#include "bridge_supervision.h"
#include "env.h"
#include "p2p_client_msg.h"

#include <QCoreApplication>
#include <QTcpServer>

quint16 closedLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void BridgeTest::SetUp()
{
    BridgeState::resetForTests();
    clock = std::make_shared<ManualClock>();
    Clock::set(clock);
}

void BridgeTest::TearDown()
{
    BridgeState::resetForTests();
    QCoreApplication::processEvents();
}

void BridgeTest::tick(int times)
{
    for (int i = 0; i < times; ++i)
        BridgeSupervision::onTimerTick();
}

void BridgeTest::tickSeconds(int times)
{
    for (int i = 0; i < times; ++i) {
        clock->advanceMs(1000);
        tick();
        QCoreApplication::processEvents();
    }
}

QList<int> BridgeTest::attemptTicks(int count)
{
    QList<int> attempts;
    for (int t = 1; t <= count; ++t) {
        CapturedOutput output;
        tickSeconds(1);
        if (output.lines().contains(QStringLiteral("Try To Connect OstrelBridge...")))
            attempts << t;
    }
    return attempts;
}

bool BridgeTest::connectTo(FakeBridgeServer &server)
{
    BridgeLink::setPortForTests(server.port());
    while (!Env::isBridgeConnected && Env::bridgeConnectCounter >= 0 && Env::bridgeConnectCounter < 3)
        tick();
    return waitFor([] { return Env::isBridgeConnected; }) && waitFor([&] { return server.hasClient(); })
           && (!server.versionReply || waitFor([] { return P2PClientMsg::taskTable().size() == 0; }));
}
