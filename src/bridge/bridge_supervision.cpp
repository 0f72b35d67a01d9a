#include "bridge_supervision.h"

#include "bridge_link.h"
#include "bridge_supervisor.h"
#include "clock.h"
#include "console.h"
#include "control_requests.h"
#include "env.h"
#include "p2p_client_msg.h"

#include <algorithm>
#include <deque>

namespace {

constexpr qint64 cycleTicks = 7;
constexpr quint64 silenceBeforeRestartSecs = 6;
// The pings of the last minute (one a tick) are known by their tokens, so that an answer that
// comes after its request ended still counts.
constexpr std::size_t rememberedPings = 64;

std::deque<QString> &recentPings()
{
    static std::deque<QString> tokens;
    return tokens;
}

void sendPing()
{
    const QString token = P2PClientMsg::SendMsgToP2PClient(QStringLiteral("PingBridge"), BlankMsg{}, true,
                                                           &BridgeSupervision::onBridgePong);
    recentPings().push_back(token);
    if (recentPings().size() > rememberedPings)
        recentPings().pop_front();
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

void attemptConnection()
{
    Console::printLine(QStringLiteral("Try To Connect OstrelBridge..."));
    BridgeLink::connect();
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

bool takeLatePong(const QString &token)
{
    auto &pings = recentPings();
    const auto it = std::find(pings.begin(), pings.end(), token);
    if (it == pings.end())
        return false;
    pings.erase(it);
    // A bridge gone since then took its socket along, so this answer is the current bridge's.
    Env::activeBridgeTime = Clock::nowSecs();
    return true;
}

void onTimerTick()
{
    P2PClientMsg::taskTable().expireDue();
    Env::runDueSupervision();
    connectionCycleTick();
    checkBridgeAlive();
}

void resetForTests()
{
    recentPings().clear();
}

} // namespace BridgeSupervision
