#include "peer_session_requests.h"

#include "bridge_interfaces.h"
#include "clock.h"
#include "console.h"
#include "env.h"
#include "peer_session_limit.h"
#include "peer_work.h"
#include "util_system.h"

namespace PeerSessionRequests {

void clientTouch(const PeerRequest &request)
{
    Console::printLine(QStringLiteral("ClientTouch ") + request.session);
    MsgBackDataClientTouch touch;
    touch.UPC = Env::userInfo.limit_dpc;
    touch.SC = Env::peerSessions().activeCount(Clock::nowSecs(), request.session);
    touch.OS = QStringLiteral("IOS");
    PeerWork::run(PeerReplyAddress::of(request), [touch]() mutable {
        const QString base = UtilSystem::getDocumentPath(QStringLiteral("Fenmar"));
        UtilSystem::createDirIfNotExist(base);
        touch.Local = base + QStringLiteral("/Downloads");
        UtilSystem::createDirIfNotExist(touch.Local);
        return BridgeMessage::wrapData(QelJSON::toJSONObject(touch));
    });
}

void checkHost(const PeerRequest &request)
{
    const QString tag = request.msg["tag"].stringValue();
    const QString ctime = Env::shareStore ? Env::shareStore->LocalShare_GetCTime(tag) : QString();
    BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(QelJSON::toJSONObject(ctime)));
}

void hostHandShake(const PeerRequest &request)
{
    const MsgBackData_Handshake handshake{QelJSON::toJSONObject(Env::userInfo.name_acc), QStringLiteral("/"),
                                          QStringLiteral("PHONE")};
    BridgeMessage::SendWSDCBack(request, QelJSON::toJSONObject(handshake));
}

void validInfo(const PeerRequest &request)
{
    // "HostTag" is sent but decides nothing.
    BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(QelJSON::toJSONObject(ValidInfo{})));
}

void ping(const PeerRequest &request)
{
    Env::peerSessions().ping(request.session, Clock::nowSecs());
    BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(QelJSON::Json("PONG")));
}

} // namespace PeerSessionRequests
