#include "bridge_supervision.h"

#include "bridge_link.h"
#include "bridge_supervisor.h"
#include "clock.h"
#include "console.h"
#include "control_requests.h"
#include "env.h"
#include "p2p_client_msg.h"

namespace {

// The tick of each connection cycle at which the link tries to reach the bridge.
constexpr qint64 connectAtTick = 3;
constexpr qint64 cycleTicks = 7;
constexpr quint64 silenceBeforeRestartSecs = 6;

void sendPing()
{
    const QString token = P2PClientMsg::SendMsgToP2PClient(QStringLiteral("PingBridge"), BlankMsg{}, true,
                                                           &BridgeSupervision::onBridgePong);
    // An answer that comes after the ping's request ended still counts. A bridge gone since then
    // took its socket along, so such an answer is the current bridge's.
    P2PClientMsg::taskTable().keepLateAnswer(token, [](const LenientJson &answer) { BridgeSupervision::onBridgePong(answer); });
}

void attemptConnection()
{
    Console::printLine(QStringLiteral("Try To Connect OstrelBridge..."));
    BridgeLink::connect();
}

} // namespace

namespace BridgeSupervision {

void connectionCycleTick()
{
    if (Env::bridgeConnectCounter < 0)
        return;
    Env::bridgeConnectCounter += 1;
    if (!Env::isBridgeConnected && Env::bridgeConnectCounter == connectAtTick)
        attemptConnection();
    if (!Env::isBridgeConnected && Env::bridgeConnectCounter >= cycleTicks)
        Env::bridgeConnectCounter = 0;
}

void checkBridgeAlive()
{
    if (!Env::isBridgeConnected)
        return;
    sendPing();
    if (Env::activeBridgeTime == 0 || !Env::isBridgeConnected)
        return;
    const quint64 now = Clock::nowSecs();
    if (now < Env::activeBridgeTime) {
        Console::printLine(QStringLiteral("Got A subtractingReportingOverflow"));
        Env::activeBridgeTime = now;
        return;
    }
    if (now - Env::activeBridgeTime >= silenceBeforeRestartSecs) {
        Console::printLine(QStringLiteral("ActiveBridgeTime Timeout"));
        Env::restartBridge();
    }
}

void onBridgePong(const std::optional<LenientJson> &answer)
{
    if (answer)
        Env::activeBridgeTime = Clock::nowSecs();
}

void onTimerTick()
{
    P2PClientMsg::taskTable().expireDue();
    Env::runDueSupervision();
    connectionCycleTick();
    checkBridgeAlive();
}

} // namespace BridgeSupervision
