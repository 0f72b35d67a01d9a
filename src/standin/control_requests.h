#pragma once

#include "background_jobs.h"
#include "file_fetcher.h"

#include <QString>

class AccountApi;
class FrameSink;
class LenientJson;
class PeerRelay;
class TransferManager;

// The bridge's answers to "P2PClientControl" requests. Every request that carries a token gets
// exactly one "P2PCLIENT" answer with that token, also when it was sent without waiting (the
// client drops what it does not wait for) and also when the code is unknown or the payload
// unusable ({"Result":0,"Info":why}). Slow work (fetches, walking folders) runs off the event
// loop and answers when done.
class ControlRequests final
{
public:
    // lanHttp: the text "GetLanHttp" answers.
    ControlRequests(FrameSink &sink, const AccountApi &api, TransferManager &transfers, const PeerRelay &relay,
                    QString lanHttp);
    Q_DISABLE_COPY_MOVE(ControlRequests)

    // The WSDCMsgJson of one control request.
    void handle(const LenientJson &request);

private:
    void answerCallHttp(const QString &token, const LenientJson &data);
    void answerTransfer(const QString &token, const QString &code, const QString &session, const LenientJson &data);

    FrameSink &m_sink;
    const AccountApi &m_api;
    TransferManager &m_transfers;
    const PeerRelay &m_relay;
    QString m_lanHttp;
    // Last: destroyed first, so no late answer reaches a sink that is going away.
    FileFetcher m_fetcher;
    BackgroundJobs m_jobs;
};
