#pragma once

// Process-wide values of the bridge layer: the bridge's state, the account record, the program's
// version and language, and the registered main window, login sheet and share store. All are
// read and written on the GUI thread.

#include "user_info.h"

#include <QString>

class MainViewInterface;
class LoginViewInterface;
class ShareStoreInterface;

namespace Env {

// Launch and restart act only when this is 2 or more.
extern quint8 runMode;
// True from the link's connected event until the relaunch step clears it; every send checks it.
extern bool isBridgeConnected;
// Ticks of the connection cycle; -1 while connected, 0 after each relaunch.
extern qint64 bridgeConnectCounter;
// Whole seconds since 1970 of the bridge's last sign of life; 0 before the first connection.
extern quint64 activeBridgeTime;
// Folder of the program's own executable as its file URL spells it (percent escapes kept); only
// printed.
extern QString appRunPath;

extern UserInfo userInfo;
// The version text of every "Login" and of the version check.
extern QString appVersion;

extern MainViewInterface *globalMainView;
extern LoginViewInterface *globalLoginView;
extern ShareStoreInterface *shareStore;

// The language code of the locale, taken once; "en" when the locale has none.
QString languageCode();

// The account record before any login.
void initGlobalUserInfo();

// Puts every value above back to its start value (tests).
void resetForTests();

} // namespace Env
