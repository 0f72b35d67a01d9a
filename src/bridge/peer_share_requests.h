#pragma once

// A peer that browses this client's shares: "getShareInfo" (a share's settings), "checkAccessCode"
// (tests a share's access code) and "getFileList" (counts or pages a folder). A code accepted by
// either of the first two opens the share to that session (see PeerAccess). GUI thread; the folder
// listing runs on the peer workers.

#include "peer_replies.h"

struct FileListResult;
struct PeerReplyAddress;
class PeerAccess;

namespace PeerShareRequests {

void getShareInfo(const PeerRequest &request, PeerAccess &access);
void checkAccessCode(const PeerRequest &request, PeerAccess &access);
// A folder outside the session's shares is answered as an unreadable one: no entries.
void getFileList(const PeerRequest &request, PeerAccess &access);

} // namespace PeerShareRequests

namespace BridgeMessage {

// The completion of a "getFileList" listing: sends its result with the request's "iProbeCount".
// Any thread.
void replyFileList(const PeerReplyAddress &address, qint64 probeCount, const FileListResult &result);

} // namespace BridgeMessage
