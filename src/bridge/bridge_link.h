#pragma once

// The one WebSocket connection to the bridge on the loopback interface. GUI thread: sends from
// another thread are handed to it.

#include "bridge_frames.h"

#include <QString>

class QWebSocket;

namespace BridgeLink {

// Opens a new connection (dropping the previous socket) unless the bridge counts as connected.
void connect();

// One frame in text form: Msg.Data is the JSON text data as a string. Dropped while the bridge
// does not count as connected.
void sendToBridge(const QString &code, const QString &data);

// The top-level frame "Login" for this e-mail and password, as every login of this client
// sends it (Device "IPhone", Source "IOS", the program's version).
void sendLogin(const QString &email, const QString &password);

// A message whose Data is the request itself (object form).
JsonMsg makeJsonMsg(const QString &code, const WSDCMsgJson &request);

// Writes the message in its envelope; dropped while the bridge does not count as connected.
void sendFrame(const JsonMsg &message);

// The latest socket; nullptr before the first connection attempt.
QWebSocket *socket();
// Whether the latest socket is connected to something that answers on the bridge's port.
bool isSocketOpen();

// Points the link at another loopback port (tests); 0 restores the bridge's own.
void setPortForTests(quint16 port);

// Drops the socket and restores the bridge's port (tests).
void resetForTests();

} // namespace BridgeLink
