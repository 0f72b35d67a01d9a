#include "peer_replies.h"

#include "bridge_frames.h"
#include "bridge_link.h"
#include "env.h"

#include <QStringList>

namespace BridgeMessage {

QString makeMsgBackText(const QString &code, const QString &token, const QString &session,
                        const QString &ownClientId, const QelJSON::Json &data)
{
    // Empty pieces are dropped, so stray separators change nothing. A session without two ids
    // still gets its reply, with the missing ids empty: the bridge routes it by token and session.
    const QStringList parts = session.split(u'|', Qt::SkipEmptyParts);
    MsgBack reply;
    reply.Data = data;
    reply.Token = token;
    reply.Code = code;
    reply.Session = session;
    reply.ClientID1 = parts.value(0);
    reply.ClientID2 = parts.value(1);
    reply.ClientIDRemote = reply.ClientID1 == ownClientId ? reply.ClientID2 : reply.ClientID1;
    return QelJSON::toJSONString(reply);
}

void SendWSDCBack(const QString &code, const QString &token, const QString &session, const QelJSON::Json &data)
{
    BridgeLink::sendToBridge(QString::fromLatin1(FrameCode::WSDC),
                             makeMsgBackText(code, token, session, Env::userInfo.ClientID, data));
}

QelJSON::Json wrapData(const QelJSON::Json &value)
{
    return QelJSON::toJSONObject(MsgBackData{value});
}

} // namespace BridgeMessage
