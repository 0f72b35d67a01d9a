#include "env.h"

#include "build_settings.h"

#include <QLocale>

namespace Env {

quint8 runMode = 2;
bool isBridgeConnected = false;
qint64 bridgeConnectCounter = 0;
quint64 activeBridgeTime = 0;
QString appRunPath;
UserInfo userInfo;
QString appVersion = QString::fromLatin1(BuildSettings::appVersion);
MainViewInterface *globalMainView = nullptr;
LoginViewInterface *globalLoginView = nullptr;
ShareStoreInterface *shareStore = nullptr;

QString languageCode()
{
    static const QString code = [] {
        const QString name = QLocale::system().name();
        const QString language = name.section(u'_', 0, 0).toLower();
        return (language.isEmpty() || language == u"c") ? QStringLiteral("en") : language;
    }();
    return code;
}

void initGlobalUserInfo()
{
    userInfo = UserInfo();
}

void resetForTests()
{
    runMode = 2;
    isBridgeConnected = false;
    bridgeConnectCounter = 0;
    activeBridgeTime = 0;
    appRunPath.clear();
    initGlobalUserInfo();
    appVersion = QString::fromLatin1(BuildSettings::appVersion);
    globalMainView = nullptr;
    globalLoginView = nullptr;
    shareStore = nullptr;
}

} // namespace Env
