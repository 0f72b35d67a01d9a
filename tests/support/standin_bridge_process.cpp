#include "standin_bridge_process.h"

#include "bridge_executable.h"
#include "bridge_interfaces.h"
#include "bridge_link.h"
#include "bridge_message.h"
#include "env.h"
#include "lenient_json.h"
#include "private_network.h"
#include "test_home.h"
#include "test_wait.h"

#include <gtest/gtest.h>

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

StandinBridgeProcess::StandinBridgeProcess(QMap<QString, QString> environment) : m_environment(std::move(environment)) {}

StandinBridgeProcess::~StandinBridgeProcess()
{
    stop();
}

bool StandinBridgeProcess::start(const QStringList &arguments)
{
    stop();
    if (!PrivateNetwork::inside()) {
        ADD_FAILURE() << "the stand-in bridge starts only in a private network: begin the case with "
                         "PrivateNetwork::inside()";
        return false;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), TestHome::path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), TestHome::path() + QStringLiteral("/.config"));
    env.insert(QStringLiteral("FENMAR_STANDIN_PORT"), QStringLiteral("0"));
    env.insert(QStringLiteral("FENMAR_STANDIN_HTTP_PORT"), QStringLiteral("0"));
    for (auto it = m_environment.cbegin(); it != m_environment.cend(); ++it)
        env.insert(it.key(), it.value());
    m_process = std::make_unique<QProcess>();
    m_process->setProcessEnvironment(env);
    m_output.clear();
    m_wsPort = 0;
    m_httpPort = 0;
    const QStringList args =
        arguments.isEmpty() ? QStringList{QString::fromLatin1(BridgeExecutable::accessCodeArgument)} : arguments;
    m_process->start(qEnvironmentVariable("FENMAR_BIN_DIR") + u'/' + QString::fromLatin1(BridgeExecutable::nameOther), args);
    if (!m_process->waitForStarted(30'000))
        return false;
    static const QRegularExpression ready(QStringLiteral("stand-in ready: ws=(\\d+) http=(\\d+)"));
    waitFor(
        [&] {
            const QRegularExpressionMatch match = ready.match(output());
            if (match.hasMatch()) {
                m_wsPort = quint16(match.captured(1).toUInt());
                m_httpPort = quint16(match.captured(2).toUInt());
            }
            return m_wsPort != 0 || m_process->state() == QProcess::NotRunning;
        });
    return m_wsPort != 0;
}

void StandinBridgeProcess::stop()
{
    if (m_process->state() == QProcess::NotRunning)
        return;
    m_process->kill();
    m_process->waitForFinished(5000);
}

QString StandinBridgeProcess::httpBase() const
{
    return QStringLiteral("http://127.0.0.1:%1/").arg(m_httpPort);
}

QString StandinBridgeProcess::output()
{
    m_output += QString::fromUtf8(m_process->readAllStandardOutput());
    return m_output;
}

bool signInThroughStandin(StandinBridgeProcess &standin, const QString &email, const QString &password)
{
    static LoginTaker taker;
    taker.answered = false;
    BridgeMessage::loginResultHandler = &taker;
    BridgeLink::setPortForTests(standin.wsPort());
    BridgeLink::connect();
    if (!waitFor([] { return Env::isBridgeConnected; }))
        return false;
    BridgeLink::sendLogin(email, password);
    const bool answered = waitFor([] { return taker.answered; });
    BridgeMessage::loginResultHandler = nullptr;
    Env::userInfo.email = email;
    Env::userInfo.password = password;
    return answered && !Env::userInfo.Token.isEmpty();
}
