// Feeds arbitrary bytes to the frame dispatcher and the lenient reader. The first byte picks the
// entry: a whole frame, the content of a "P2PCLIENT" or "WSDC" frame, a bare JSON value for the
// reader, or a version text. In the text, "@P" and "@W" stand for this run's control and peer
// token prefixes, so that answers to waiting requests (and late ones) are reached as well.

#include "bridge_interfaces.h"
#include "bridge_message.h"
#include "env.h"
#include "lenient_json.h"
#include "p2p_client_msg.h"
#include "session_state.h"
#include "version_check.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

class Sink final : public LoginResultHandler,
                   public PeerRequestHandler,
                   public RemoteFileListInterface,
                   public ContactViewInterface
{
public:
    void DoLoginResult(const QString &text) override { seen += text.size(); }
    void DoWSDCRequest(const LenientJson &message, const QString &text) override
    {
        seen += message["Code"].stringValue().size() + message["Msg"]["path"].stringValue().size() + text.size();
    }
    void onPeerConnected() override { ++seen; }
    void onConStatusChanged(P2PClientMsg::ConStatus status) override { seen += int(status); }
    void onClientInitResult(P2PClientMsg::ConStatus status) override { seen += int(status); }
    qint64 seen = 0;
};

Sink sink;

// Reads every value the way receivers do, to a bounded depth.
qint64 walk(const LenientJson &value, int depth)
{
    qint64 total = value.stringValue().size() + value.int64Value() % 7 + (value.boolValue() ? 1 : 0) + value.count();
    total += qint64(value.doubleValue() != 0);
    if (depth > 8)
        return total;
    if (value.isObject()) {
        for (const QString &key : value.keys())
            total += walk(value[key], depth + 1);
    } else if (value.isArray()) {
        for (qsizetype i = 0; i < value.count() && i < 64; ++i)
            total += walk(value[i], depth + 1);
    }
    return total + value.rawString().size() % 3;
}

void keepRequestsWaiting()
{
    for (const auto &[prefix, kind] : {std::pair{P2PClientMsg::p2pClientPrefix(), RemoteWSDCTask::Kind::Bridge},
                                       std::pair{P2PClientMsg::clientWSDCPrefix(), RemoteWSDCTask::Kind::Remote}}) {
        const QString token = prefix + QStringLiteral("T");
        if (!P2PClientMsg::taskTable().contains(token)) {
            P2PClientMsg::taskTable().add(token, RemoteWSDCTask{QStringLiteral("PingBridge"), kind, 0,
                                                                [](const std::optional<LenientJson> &answer) {
                                                                    if (answer)
                                                                        sink.seen += walk(*answer, 0);
                                                                }});
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // Nothing here may reach the real home folder, and the printed lines would only slow it down.
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    std::freopen("/dev/null", "w", stdout);
    static QCoreApplication app(*argc, *argv);
    BridgeMessage::loginResultHandler = &sink;
    BridgeMessage::peerRequestHandler = &sink;
    HelperRemoteSharing::globalFileListView = &sink;
    HelperRemoteSharing::globalContactView = &sink;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int entry = data[0] % 5;
    HelperRemoteSharing::linkOwner = quint8(data[0] / 5 % 4);
    QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    text.replace(QStringLiteral("@P"), P2PClientMsg::p2pClientPrefix());
    text.replace(QStringLiteral("@W"), P2PClientMsg::clientWSDCPrefix());
    keepRequestsWaiting();

    switch (entry) {
    case 0:
        BridgeMessage::DoMsg(text);
        break;
    case 1:
        P2PClientMsg::DoMsg(text);
        break;
    case 2:
        BridgeMessage::DoWSDCMsg(text);
        break;
    case 3:
        sink.seen += walk(LenientJson::parse(QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))), 0);
        break;
    default:
        sink.seen += VersionCheck::parseVersion(text).has_value() ? 1 : 0;
        break;
    }
    return 0;
}
