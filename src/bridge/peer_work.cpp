#include "peer_work.h"

#include "bridge_frames.h"
#include "bridge_link.h"
#include "env.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThreadPool>
#include <QWebSocket>

PeerReplyAddress PeerReplyAddress::of(const PeerRequest &request)
{
    return PeerReplyAddress{request.code, request.token, request.session, Env::userInfo.ClientID};
}

namespace PeerWork {

namespace {

void writeFrame(const QString &frameText)
{
    if (!Env::isBridgeConnected)
        return;
    if (QWebSocket *socket = BridgeLink::socket())
        socket->sendTextMessage(frameText);
}

} // namespace

QThreadPool &pool()
{
    // Parented to the application so that it is joined before Qt's statics go away.
    static QThreadPool *workers = [] {
        auto *created = new QThreadPool(QCoreApplication::instance());
        created->setObjectName(QStringLiteral("PeerWork"));
        return created;
    }();
    return *workers;
}

void sendReply(const PeerReplyAddress &address, const QelJSON::Json &payload)
{
    // A page of a large folder makes a frame of megabytes: escaping it into the envelope is
    // left to the worker too.
    const QString msgBack = BridgeMessage::makeMsgBackText(address.code, address.token, address.session,
                                                           address.ownClientId, payload);
    const QString frame = BridgeFrames::frameText(BridgeFrames::makeTextFrame(QString::fromLatin1(FrameCode::WSDC), msgBack));
    QMetaObject::invokeMethod(QCoreApplication::instance(), [frame] { writeFrame(frame); }, Qt::QueuedConnection);
}

void start(std::function<void()> job)
{
    pool().start(std::move(job));
}

void run(const PeerReplyAddress &address, std::function<QelJSON::Json()> job)
{
    pool().start([address, job = std::move(job)] { sendReply(address, job()); });
}

} // namespace PeerWork
