#pragma once

#include <QObject>

// Whether the service can be reached now, for the pages that depend on it. The link is lost when
// its bridge goes, and whatever that bridge was doing (transfers, peer connections) goes with it;
// once a new bridge is connected, the account signed in earlier in this run is signed in again by
// the link itself. Until then pages say the connection is being restored, and try again when it
// is. GUI thread only.
namespace LinkStatus {

// The link is up, an account is signed in, and no sign-in after a lost link is still awaited.
bool isServiceReady();
// Counts the links lost in this run: work started under an earlier count died with its bridge.
quint64 lostLinks();

// The link was lost with the bridge that served it.
void noteLinkLost();
// A new link is up.
void noteLinkUp();
// A login result made the account signed in on the current link.
void noteSignedIn();

// Tells of every change above.
class Notifier final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Notifier)

public:
    Notifier() = default;

Q_SIGNALS:
    void changed();
};
Notifier &notifier();

// Back to the start of a run (tests).
void resetForTests();

} // namespace LinkStatus
