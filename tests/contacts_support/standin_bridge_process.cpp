#include "standin_bridge_process.h"

#include "bridge_executable.h"
#include "bridge_link.h"
#include "bridge_message.h"
#include "contacts_test_support.h"
#include "env.h"
#include "lenient_json.h"
#include "test_home.h"

#include <QRegularExpression>

namespace {

// Takes the login result into the account record the way the login sheet does.
class LoginTaker final : public LoginResultHandler
{
public:
    void DoLoginResult(const QString &text) override
    {
        const LenientJson result = LenientJson::parse(text);
        Env::userInfo.id_acc = result["ACC"].int64Value();
        Env::userInfo.name_acc = result["name_acc"].stringValue();
        Env::userInfo.Token = result["Token"].stringValue();
        Env::userInfo.ClientID = result["ClientID"].stringValue();
        Env::userInfo.rooturl = result["rooturl"].stringValue();
        Env::userInfo.hostname = result["rooturl"].stringValue();
        Env::userInfo.limit_dpc = result["limit"]["limit_dpc"].intValue();
        answered = true;
    }
    bool answered = false;
};

} // namespace

StandinBridgeProcess::~StandinBridgeProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool StandinBridgeProcess::start()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), TestHome::path());
    env.insert(QStringLiteral("FENMAR_STANDIN_PORT"), QStringLiteral("0"));
    env.insert(QStringLiteral("FENMAR_STANDIN_HTTP_PORT"), QStringLiteral("0"));
    env.insert(QStringLiteral("FENMAR_STANDIN_COPY_DELAY_MS"), QString::number(m_copyDelayMs));
    m_process.setProcessEnvironment(env);
    m_process.start(qEnvironmentVariable("FENMAR_BIN_DIR") + u'/' + QString::fromLatin1(BridgeExecutable::nameOther),
                    {QString::fromLatin1(BridgeExecutable::accessCodeArgument)});
    if (!m_process.waitForStarted(5000))
        return false;
    static const QRegularExpression ready(QStringLiteral("stand-in ready: ws=(\\d+)"));
    ContactsTest::waitFor(
        [&] {
            const QRegularExpressionMatch match = ready.match(output());
            if (match.hasMatch())
                m_port = quint16(match.captured(1).toUInt());
            return m_port != 0 || m_process.state() == QProcess::NotRunning;
        },
        10000);
    return m_port != 0;
}

QString StandinBridgeProcess::output()
{
    m_output += QString::fromUtf8(m_process.readAllStandardOutput());
    return m_output;
}

bool signInThroughStandin(StandinBridgeProcess &standin, const QString &email, const QString &password)
{
    static LoginTaker taker;
    taker.answered = false;
    BridgeMessage::loginResultHandler = &taker;
    BridgeLink::setPortForTests(standin.port());
    BridgeLink::connect();
    if (!ContactsTest::waitFor([] { return Env::isBridgeConnected; }))
        return false;
    BridgeLink::sendLogin(email, password);
    const bool answered = ContactsTest::waitFor([] { return taker.answered; });
    BridgeMessage::loginResultHandler = nullptr;
    Env::userInfo.email = email;
    Env::userInfo.password = password;
    return answered && !Env::userInfo.Token.isEmpty();
}
