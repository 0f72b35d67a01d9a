#pragma once

// Peer requests that touch the file system run here, off the GUI thread, so a slow disk or a huge
// folder never holds up the frames and the one-second supervision tick. Each job builds its whole
// reply on the worker; only the finished frame goes back to the GUI thread to be written.

#include "peer_replies.h"

#include <QString>

#include <functional>

class QThreadPool;

// Where a job's reply goes: the request's address and this client's own id, taken on the GUI
// thread when the request arrived.
struct PeerReplyAddress {
    QString code;
    QString token;
    QString session;
    QString ownClientId;

    static PeerReplyAddress of(const PeerRequest &request);
};

namespace PeerWork {

// Runs job on the peer worker pool; the payload it returns is sent back as the reply.
void run(const PeerReplyAddress &address, std::function<QelJSON::Json()> job);

// Runs job on the peer worker pool; the job sends its reply itself (see sendReply).
void start(std::function<void()> job);

// Sends the reply from any thread: the frame text is made on the calling thread and written on
// the GUI thread (dropped while the link is down).
void sendReply(const PeerReplyAddress &address, const QelJSON::Json &payload);

// The pool the jobs run on (tests wait for it).
QThreadPool &pool();

} // namespace PeerWork
