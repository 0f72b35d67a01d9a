#include "link_status.h"

#include "env.h"

namespace {

struct State {
    quint64 lostLinks = 0;
    // The account record's token belongs to a bridge that is gone.
    bool awaitingSignIn = false;
};

State &state()
{
    static State s;
    return s;
}

} // namespace

namespace LinkStatus {

bool isServiceReady()
{
    return Env::isBridgeConnected && !Env::userInfo.Token.isEmpty() && !state().awaitingSignIn;
}

quint64 lostLinks()
{
    return state().lostLinks;
}

void noteLinkLost()
{
    ++state().lostLinks;
    state().awaitingSignIn = !Env::userInfo.Token.isEmpty();
    emit notifier().changed();
}

void noteLinkUp()
{
    emit notifier().changed();
}

void noteSignedIn()
{
    state().awaitingSignIn = false;
    emit notifier().changed();
}

Notifier &notifier()
{
    static Notifier instance;
    return instance;
}

void resetForTests()
{
    state() = State();
}

} // namespace LinkStatus
