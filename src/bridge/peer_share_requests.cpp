#include "peer_share_requests.h"

#include "bridge_interfaces.h"
#include "console.h"
#include "env.h"
#include "file_item.h"
#include "peer_access.h"
#include "peer_confinement.h"
#include "peer_work.h"

namespace {

QList<nlohmann::json> listShares(const QString &tag, bool onlyEnabled)
{
    return Env::shareStore ? Env::shareStore->LocalShare_List(tag, onlyEnabled, true) : QList<nlohmann::json>();
}

// What an unreadable folder gives: a count of 0, or no pages.
FileListResult nothingListed(qint64 probeCount)
{
    FileListResult result;
    if (probeCount == 1)
        result.index = QStringLiteral("0");
    else
        result.pageInfo = QStringLiteral("0|0");
    return result;
}

} // namespace

namespace PeerShareRequests {

void getShareInfo(const PeerRequest &request, PeerAccess &access)
{
    const QString tag = request.msg["tag"].stringValue();
    const QString code = request.msg["pass"].stringValue();
    const bool isAppPeer = request.msg["isweb"].stringValue() == u"0";

    QList<nlohmann::json> shares;
    if (!isAppPeer) {
        // Web peers see enabled shares only, and never an access code.
        shares = listShares(tag, true);
    } else if (access.tryCode(request.session, tag, code, request.code)) {
        shares = listShares(tag, false);
    }
    QelJSON::Json data = QelJSON::Json::array();
    if (!shares.isEmpty())
        data.push_back(shares.first());
    BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(data));
}

void checkAccessCode(const PeerRequest &request, PeerAccess &access)
{
    const QString tag = request.msg["tag"].stringValue();
    const QString code = request.msg["password"].stringValue();
    const bool passed = access.tryCode(request.session, tag, code, request.code);
    BridgeMessage::SendWSDCBack(request, BridgeMessage::wrapData(QelJSON::Json(passed)));
}

void getFileList(const PeerRequest &request, PeerAccess &access)
{
    // "filters" and "iconLoadSize" are sent but change nothing.
    const QString dir = request.msg["dir"].stringValue();
    const QString search = request.msg["search"].stringValue();
    const QString orderBy = request.msg["orderBy"].stringValue();
    const qint64 pageIndex = request.msg["iPageIndex"].int64Value();
    const qint64 pageSize = request.msg["iPageSize"].int64Value();
    const qint64 probeCount = request.msg["iProbeCount"].int64Value();
    const PeerReplyAddress address = PeerReplyAddress::of(request);
    const std::vector<PeerShare> shares = access.sharesFor(request.session);

    PeerWork::start([=] {
        const PeerReach reach(shares);
        const std::optional<QString> allowed = reach.allow(dir, PeerReach::Need::Read);
        if (!allowed) {
            Console::printLine(QStringLiteral("Peer Request Refused, Not Shared - getFileList - ") + dir);
            BridgeMessage::replyFileList(address, probeCount, nothingListed(probeCount));
            return;
        }
        // Links out of reach and shares the session may not open are neither counted nor shown.
        FileItem::buildFileList(
            *allowed, search, orderBy, pageIndex, pageSize, probeCount, true, true,
            [&](const FileListResult &result) { BridgeMessage::replyFileList(address, probeCount, result); },
            [&](const FolderListing &listing) { return reach.notShown(*allowed, listing); });
    });
}

} // namespace PeerShareRequests

namespace BridgeMessage {

void replyFileList(const PeerReplyAddress &address, qint64 probeCount, const FileListResult &result)
{
    MsgBackData_FileList reply;
    reply.index = result.index;
    reply.sResult = result.result;
    reply.sPageInfo = result.pageInfo;
    reply.data = QelJSON::toJSONObject(result.items);
    reply.iProbeCount = probeCount;
    PeerWork::sendReply(address, QelJSON::toJSONObject(reply));
}

} // namespace BridgeMessage
