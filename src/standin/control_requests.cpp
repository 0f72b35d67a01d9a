#include "control_requests.h"

#include "account_api.h"
#include "client_frames.h"
#include "control_payloads.h"
#include "peer_relay.h"
#include "standin_log.h"
#include "transfer_manager.h"
#include "upload_preparation.h"

#include <memory>

namespace {

QelJSON::Json refusal(const QString &why)
{
    return QelJSON::toJSONObject(ControlResult{0, why});
}

bool is(const QString &code, const char *name)
{
    return code == QLatin1String(name);
}

} // namespace

ControlRequests::ControlRequests(FrameSink &sink, const AccountApi &api, TransferManager &transfers,
                                 const PeerRelay &relay, QString lanHttp)
    : m_sink(sink), m_api(api), m_transfers(transfers), m_relay(relay), m_lanHttp(std::move(lanHttp))
{
}

void ControlRequests::handle(const LenientJson &request)
{
    const QString token = request["Token"].stringValue();
    const QString code = request["Code"].stringValue();
    const LenientJson data = request["Data"];
    if (!is(code, ControlCode::PingBridge))
        StandinLog::print(QStringLiteral("P2PClientControl - ") + code);
    if (token.isEmpty()) {
        StandinLog::print(QStringLiteral("Control request without a token, not answered - ") + code);
        return;
    }
    QString session = data["Session"].stringValue();
    if (session.isEmpty())
        session = request["Session"].stringValue();

    if (is(code, ControlCode::PingBridge)) {
        m_sink.sendControlAnswer(token, "Pong");
    } else if (is(code, ControlCode::GetLanHttp)) {
        m_sink.sendControlAnswer(token, QelJSON::toUtf8(m_lanHttp));
    } else if (is(code, ControlCode::CallHttp)) {
        answerCallHttp(token, data);
    } else if (is(code, ControlCode::CallHttpDownload)) {
        m_fetcher.fetch(data["URL"].stringValue(), data["SaveAt"].stringValue(),
                        [this, token](const FetchResult &result) {
                            StandinLog::print(QStringLiteral("CallHttpDownload - ") + result.Info);
                            m_sink.sendControlAnswer(token, QelJSON::toJSONObject(result));
                        });
    } else if (is(code, ControlCode::PreparingUpload)) {
        const PreparingUploadInfo info{data["Targets"].stringValue(), data["LocalRootPath"].stringValue(),
                                       data["RemoteSaveRootPath"].stringValue()};
        auto prepared = std::make_shared<PreparedUpload>();
        m_jobs.run([info, prepared](const std::atomic_bool &stop) { *prepared = prepareUpload(info, stop); },
                   [this, token, prepared] { m_sink.sendControlAnswer(token, QelJSON::toJSONObject(*prepared)); });
    } else if (is(code, ControlCode::ResetRemoteUploadStatus_FromLocal)) {
        m_transfers.resetDelivery(session);
        m_sink.sendControlAnswer(token, QelJSON::toJSONObject(ControlResult{1, QStringLiteral("OK")}));
    } else {
        answerTransfer(token, code, session, data);
    }
}

void ControlRequests::answerCallHttp(const QString &token, const LenientJson &data)
{
    const QUrl url(data["URL"].stringValue());
    const QString scheme = url.scheme().toLower();
    QByteArray body = AccountApi::unknownPathBody();
    if (url.isValid() && (scheme == QStringLiteral("http") || scheme == QStringLiteral("https")))
        body = m_api.answer(url).body;
    // The answer is the body's text; the receiver parses it itself.
    m_sink.sendControlAnswer(token, body.toStdString());
}

void ControlRequests::answerTransfer(const QString &token, const QString &code, const QString &session,
                                     const LenientJson &data)
{
    const bool starts = is(code, ControlCode::Trans3_FC_00_CallStart) || is(code, ControlCode::Trans2_FS_00_CallStart)
                        || is(code, ControlCode::StartRemoteUpload);
    if (starts && !m_relay.hasSession(session)) {
        m_sink.sendControlAnswer(token, refusal(QStringLiteral("No peer connection in this session")));
        return;
    }
    QelJSON::Json answer;
    if (is(code, ControlCode::Trans3_FC_00_CallStart)) {
        answer = QelJSON::toJSONObject(m_transfers.startDownload(session, data["Targets"].stringValue(),
                                                                 data["SaveAtLocalFolder"].stringValue()));
    } else if (is(code, ControlCode::Trans3_FC_00_Cancel)) {
        answer = QelJSON::toJSONObject(m_transfers.cancelDownload(session));
    } else if (is(code, ControlCode::Trans3_FC_TransTaskInfo)) {
        answer = QelJSON::toJSONObject(m_transfers.downloadStatus(session));
    } else if (is(code, ControlCode::Trans2_FS_00_CallStart)) {
        answer = QelJSON::toJSONObject(m_transfers.startUpload(session, data["Targets"].stringValue(),
                                                               data["RemotePathRoot"].stringValue()));
    } else if (is(code, ControlCode::StartRemoteUpload)) {
        answer = QelJSON::toJSONObject(m_transfers.startDelivery(session, data["FileList"]));
    } else if (is(code, ControlCode::Trans2_FS_00_Cancel) || is(code, ControlCode::CancelFileReceive_FromLocal)) {
        answer = QelJSON::toJSONObject(m_transfers.cancelUpload(session));
    } else if (is(code, ControlCode::RefreshRemoteUploadStatus_FromLocal)) {
        answer = QelJSON::toJSONObject(m_transfers.uploadStatus(session));
    } else {
        StandinLog::print(QStringLiteral("Unknown control code - ") + code);
        answer = refusal(QStringLiteral("Unknown control code: ") + code);
    }
    if (starts)
        StandinLog::print(code + QStringLiteral(" - ") + QString::fromStdString(answer.dump()));
    m_sink.sendControlAnswer(token, answer);
}
