#pragma once

// The requests through which a peer opens and keeps its link to this client and learns what this
// client is: "ClientTouch", "CheckHost", "HostHandShake", "ValidInfo" and "PING". Each is answered
// at once. GUI thread.

#include "peer_replies.h"
#include "qel_json.h"

// What a peer may do here; always all of it.
struct ValidInfo {
    bool IsHostValid = true;
    bool IsCanUpDown = true;
    bool IsCanReceiveFile = true;
    bool SP_DownloadNow = true;
    QEL_JSON_FIELDS(ValidInfo, IsHostValid, IsCanUpDown, IsCanReceiveFile, SP_DownloadNow)
};

namespace PeerSessionRequests {

// Answers with the account's limit of download connections, the sessions served now and the
// folder that downloads go to (made when missing, off the GUI thread).
void clientTouch(const PeerRequest &request);
// The creation time of the share that "tag" names, "" when there is none.
void checkHost(const PeerRequest &request);
void hostHandShake(const PeerRequest &request);
void validInfo(const PeerRequest &request);
// Registers the session as active and answers "PONG".
void ping(const PeerRequest &request);

} // namespace PeerSessionRequests
