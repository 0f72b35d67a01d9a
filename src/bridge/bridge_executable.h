#pragma once

// What the client and the bridge executable agree on: the command line, the names and the
// WebSocket endpoint. The stand-in bridge reads the same values.

namespace BridgeExecutable {

// The bridge's one argument is "-scode=" + accessCode; the argument also marks a running bridge
// of ours among the user's processes.
inline constexpr char accessCode[] = "C41E7A09B3D25F6810AE4C97D2B6035F";
inline constexpr char accessCodeArgument[] = "-scode=C41E7A09B3D25F6810AE4C97D2B6035F";

inline constexpr char nameArm64[] = "OstrelBridge";
inline constexpr char nameOther[] = "OstrelBridge_amd";

inline constexpr char host[] = "127.0.0.1";
inline constexpr unsigned short port = 19961;
inline constexpr char path[] = "/ws";
inline constexpr char url[] = "ws://127.0.0.1:19961/ws";

} // namespace BridgeExecutable
