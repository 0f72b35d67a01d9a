#include "standin_settings.h"

#include <QStandardPaths>

namespace {

bool readNumber(const char *name, int minimum, int maximum, int &value, QString *error)
{
    const QString text = qEnvironmentVariable(name).trimmed();
    if (text.isEmpty())
        return true;
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < minimum || number > maximum) {
        *error = QStringLiteral("%1 must be a number from %2 to %3, not \"%4\"")
                     .arg(QString::fromLatin1(name))
                     .arg(minimum)
                     .arg(maximum)
                     .arg(text);
        return false;
    }
    value = number;
    return true;
}

} // namespace

bool StandinSettings::fromEnvironment(StandinSettings &settings, QString *error)
{
    int bridgePort = settings.bridgePort;
    int httpPort = settings.httpPort;
    if (!readNumber("FENMAR_STANDIN_PORT", 0, 65535, bridgePort, error)
        || !readNumber("FENMAR_STANDIN_HTTP_PORT", 0, 65535, httpPort, error)
        || !readNumber("FENMAR_STANDIN_COPY_DELAY_MS", 0, 10000, settings.copyDelayMs, error))
        return false;
    settings.bridgePort = quint16(bridgePort);
    settings.httpPort = quint16(httpPort);
    settings.offeredVersion = qEnvironmentVariable("FENMAR_STANDIN_OFFER_VERSION").trimmed();
    settings.offeredUrl = qEnvironmentVariable("FENMAR_STANDIN_OFFER_URL").trimmed();
    settings.accountFile = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                           + QStringLiteral("/fenmar-standin/accounts.json");
    return true;
}
