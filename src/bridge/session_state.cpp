#include "session_state.h"

#include "p2p_client_msg.h"

namespace HelperRemoteSharing {

QString session;
QString sessionClientID1;
QString sessionClientID2;
QString sessionULocal;
QString sessionURemote;
QString sessionUName;
QString sessionSource;
QString lanHttp;
quint8 linkOwner = 0;
RemoteFileListInterface *globalFileListView = nullptr;
ContactViewInterface *globalContactView = nullptr;

void setRemoteSession(const QString &text)
{
    session = text;
    sessionULocal.clear();
    sessionURemote.clear();
    const QStringList parts = text.split(u'|');
    sessionClientID1 = parts.value(0);
    sessionClientID2 = parts.value(1);
    P2PClientMsg::isRemoteConnected = true;
}

void resetForTests()
{
    session.clear();
    sessionClientID1.clear();
    sessionClientID2.clear();
    sessionULocal.clear();
    sessionURemote.clear();
    sessionUName.clear();
    sessionSource.clear();
    lanHttp.clear();
    linkOwner = 0;
    globalFileListView = nullptr;
    globalContactView = nullptr;
}

} // namespace HelperRemoteSharing
