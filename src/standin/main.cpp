// The stand-in bridge: plays the bridge executable, the service and a loopback peer so that the
// client runs end to end on one machine. Started by the client with its one argument.

#include "bridge_executable.h"
#include "quit_signals.h"
#include "standin_app.h"
#include "standin_log.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // A reader that went away must not end the bridge when it next prints a line.
    std::signal(SIGPIPE, SIG_IGN);
    const QStringList arguments = app.arguments().mid(1);
    if (arguments != QStringList{QString::fromLatin1(BridgeExecutable::accessCodeArgument)}) {
        std::fprintf(stderr, "%s: expects exactly one argument, -scode= followed by the access code\n",
                     qPrintable(QCoreApplication::applicationName()));
        return 2;
    }
    StandinSettings settings;
    QString error;
    if (!StandinSettings::fromEnvironment(settings, &error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(error));
        return 2;
    }
    StandinApp standin(std::move(settings));
    if (!standin.start(&error)) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()), qPrintable(error));
        return 1;
    }
    // SIGTERM and SIGINT end it as a normal quit does, so that running transfers are cancelled and
    // their half-written files removed before it ends.
    const QuitSignals stopOnSignal({SIGTERM, SIGINT}, [] {
        StandinLog::print(QStringLiteral("Stopping"));
        QCoreApplication::quit();
    });
    const int result = app.exec();
    StandinLog::print(QStringLiteral("Stopped"));
    return result;
}
