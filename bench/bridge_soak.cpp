// The soak of bridge_soak.sh: the whole client (its start-up, window, login sheet, supervision
// tick and remote browser) with the real bridge beside it, in a namespace the script made. It
// signs in, shares a folder with a large file and browses its own host, then kills the bridge at
// random moments: before the link reaches a new bridge, while connected, and during a download
// through the bridge. After each kill it waits for the link to be up again and signed in, and
// looks for half-written files in the download folder. Its own lines go to standard error; the
// client's diagnostics stay on standard output.

#include "bridge_supervisor.h"
#include "download_folder.h"
#include "env.h"
#include "fenmar_mac_app.h"
#include "link_status.h"
#include "local_share_store.h"
#include "login_view.h"
#include "main_view.h"
#include "remote_file_table.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_file_list.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>

namespace {

constexpr int defaultKills = 50;
constexpr qint64 largeFileBytes = 64LL * 1024 * 1024;
constexpr int recoveryLimitMs = 60'000;
const QString shareTag = QStringLiteral("Soak");

void say(const QString &line)
{
    std::fprintf(stderr, "%s\n", qPrintable(line));
    std::fflush(stderr);
}

// Runs the event loop until done() or ms have passed; whether done() came true.
bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() >= ms)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

void runFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

qint64 bridgePid()
{
    return Env::bridgeProcess() ? Env::bridgeProcess()->processId() : 0;
}

QStringList partialFiles()
{
    QStringList found;
    const QString folder = DownloadFolder::current();
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        // The name the bridge writes a file under until it is complete.
        if (name.startsWith(QStringLiteral(".fenmar-part-")))
            found << folder + u'/' + name;
    }
    return found;
}

bool writeLargeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray block(1024 * 1024, 'x');
    for (qint64 written = 0; written < largeFileBytes; written += block.size())
        file.write(block);
    return file.flush();
}

double seconds(qint64 ms)
{
    return double(ms) / 1000.0;
}

class Soak
{
public:
    explicit Soak(int kills) : m_kills(kills), m_window(m_app.body()) {}

    bool signIn()
    {
        LoginView &sheet = m_window->loginSheet();
        if (!waitUntil([&] { return sheet.isVisible(); }, 10000))
            return false;
        sheet.findChild<QLineEdit *>(QStringLiteral("emailField"))->setText(QStringLiteral("soak@example.com"));
        sheet.findChild<QLineEdit *>(QStringLiteral("passwordField"))->setText(QStringLiteral("soak-password"));
        sheet.onLoginButton();
        return waitUntil([] { return LinkStatus::isServiceReady(); }, 30000);
    }

    bool shareAndBrowse()
    {
        const QString folder = QDir::homePath() + QStringLiteral("/soak-share");
        QDir().mkpath(folder);
        if (!writeLargeFile(folder + QStringLiteral("/large.bin")))
            return false;
        SharingObj share;
        share.setTag(shareTag);
        share.setPath(folder);
        share.setIsdir(true);
        share.setIsenabled(true);
        share.setIsdownload(true);
        if (!LocalShare_Insert(share))
            return false;
        RemoteSharing host;
        host.hostname = Env::userInfo.rooturl;
        host.hosttag = shareTag;
        m_browser = std::make_unique<ViewSharingRemoteFileList>(host);
        m_browser->show();
        m_browser->ConnectRemoteHost();
        return browserListed(30000);
    }

    bool browserListed(int ms)
    {
        return waitUntil([&] { return m_browser->isConnected() && !m_browser->isLoading() && !m_browser->items().isEmpty(); },
                         ms);
    }

    bool startDownload()
    {
        if (!browserListed(30000))
            return false;
        m_browser->table()->selectRows({0});
        m_browser->openDownload();
        m_sheet = m_browser->downloadSheet();
        if (!m_sheet)
            return false;
        m_sheet->startTransfer();
        return waitUntil([&] { return m_sheet->status() == RemoteSharingDownloadStatus::dsRunning; }, 10000);
    }

    // One kill of the given kind; the time to connected and to signed in again, or -1.
    void killOnce(int number, const QString &kind)
    {
        if (kind == u"download" && !startDownload()) {
            say(QStringLiteral("kill %1 %2: the download did not start").arg(number).arg(kind));
            m_failed++;
            return;
        }
        if (kind == u"before-connect") {
            // A bridge that has just been launched and not reached yet.
            const qint64 old = bridgePid();
            ::kill(pid_t(old), SIGKILL);
            if (!waitUntil([&] { return bridgePid() != 0 && bridgePid() != old && !Env::isBridgeConnected; }, 30000)) {
                say(QStringLiteral("kill %1 %2: no new bridge").arg(number).arg(kind));
                m_failed++;
                return;
            }
            runFor(int(QRandomGenerator::global()->bounded(600)));
            if (Env::isBridgeConnected) {
                say(QStringLiteral("kill %1 %2: connected before the kill, skipped").arg(number).arg(kind));
                return;
            }
        } else {
            runFor(300 + int(QRandomGenerator::global()->bounded(2500)));
        }
        const qint64 pid = bridgePid();
        if (pid == 0) {
            say(QStringLiteral("kill %1 %2: no bridge to kill").arg(number).arg(kind));
            m_failed++;
            return;
        }
        QElapsedTimer since;
        since.start();
        ::kill(pid_t(pid), SIGKILL);
        waitUntil([] { return !Env::isBridgeConnected; }, 5000);
        const bool connected = waitUntil([] { return Env::isBridgeConnected; }, recoveryLimitMs);
        const qint64 connectedMs = since.elapsed();
        const bool signedIn = connected && waitUntil([] { return LinkStatus::isServiceReady(); }, recoveryLimitMs);
        const qint64 signedInMs = since.elapsed();
        QString line = QStringLiteral("kill %1 %2: ").arg(number, 2).arg(kind, -14);
        if (!signedIn) {
            say(line + QStringLiteral("NOT RECOVERED"));
            m_failed++;
            return;
        }
        m_recoveries << connectedMs;
        line += QStringLiteral("connected again after %1 s, signed in after %2 s").arg(seconds(connectedMs), 0, 'f', 2).arg(seconds(signedInMs), 0, 'f', 2);
        if (m_sheet) {
            waitUntil([&] { return m_sheet->tracker().isEnded(); }, 5000);
            line += QStringLiteral("; the sheet says \"%1\"").arg(m_sheet->statusText());
            m_sheet->reject();
            m_sheet = nullptr;
        }
        const QStringList partial = partialFiles();
        if (!partial.isEmpty())
            line += QStringLiteral("; %1 half-written file(s) in the download folder").arg(partial.size());
        m_partialSeen += int(partial.size());
        say(line);
    }

    void run()
    {
        const QStringList kinds = {QStringLiteral("before-connect"), QStringLiteral("connected"), QStringLiteral("download")};
        for (int number = 1; number <= m_kills; ++number) {
            killOnce(number, kinds.at(int(QRandomGenerator::global()->bounded(int(kinds.size())))));
            runFor(500 + int(QRandomGenerator::global()->bounded(3000)));
        }
    }

    int finish()
    {
        // The browser comes back by itself once the service is back.
        const bool browsing = browserListed(30000);
        m_browser.reset();
        // A normal quit: the bridge goes with the client.
        Env::stopBridgeForQuit();
        runFor(500);
        const QStringList left = partialFiles();

        std::sort(m_recoveries.begin(), m_recoveries.end());
        const qint64 median = m_recoveries.isEmpty() ? 0 : m_recoveries.at(m_recoveries.size() / 2);
        const qint64 maximum = m_recoveries.isEmpty() ? 0 : m_recoveries.last();
        say(QString());
        say(QStringLiteral("recovered %1 of %2").arg(m_recoveries.size()).arg(m_kills));
        say(QStringLiteral("time to connected again: median %1 s, maximum %2 s").arg(seconds(median), 0, 'f', 2).arg(seconds(maximum), 0, 'f', 2));
        say(QStringLiteral("half-written files seen after a recovery: %1").arg(m_partialSeen));
        say(QStringLiteral("half-written files left at the end: %1").arg(left.size()));
        for (const QString &path : left)
            say(QStringLiteral("  ") + path);
        say(QStringLiteral("the browser back on its folder at the end: %1").arg(browsing ? QStringLiteral("yes") : QStringLiteral("no")));
        return m_failed == 0 && left.isEmpty() && browsing ? 0 : 1;
    }

private:
    int m_kills;
    FenmarMacApp m_app;
    std::unique_ptr<MainView> m_window;
    std::unique_ptr<ViewSharingRemoteFileList> m_browser;
    QPointer<ViewSharingRemoteDownload> m_sheet;
    QList<qint64> m_recoveries;
    int m_failed = 0;
    int m_partialSeen = 0;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    // A smaller number may be given for a quick look.
    const int kills = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : defaultKills;
    Soak soak(kills);
    if (!soak.signIn()) {
        say(QStringLiteral("could not sign in"));
        return 1;
    }
    if (!soak.shareAndBrowse()) {
        say(QStringLiteral("could not browse the own share"));
        return 1;
    }
    say(QStringLiteral("signed in and browsing; %1 kills follow").arg(kills));
    soak.run();
    return soak.finish();
}
