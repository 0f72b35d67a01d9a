#include "version_check.h"

#include "bridge_interfaces.h"
#include "build_settings.h"
#include "console.h"
#include "control_requests.h"
#include "env.h"
#include "util_system.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

namespace {

bool &downloadInFlight()
{
    static bool inFlight = false;
    return inFlight;
}

// An optional sign and decimal digits within 64 bits; any other piece counts as 0.
qint64 versionPart(const QString &piece)
{
    // Anchored to the whole piece: "$" alone would also let a trailing line break through.
    static const QRegularExpression decimal(QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+")));
    // toLongLong gives 0 for a number outside 64 bits.
    return decimal.match(piece).hasMatch() ? piece.toLongLong() : 0;
}

// The number names the installer's files: one holding "/" or a NUL would name another path.
bool isUsableInFileName(const QString &number)
{
    return !number.contains(u'/') && !number.contains(QChar(u'\0'));
}

} // namespace

namespace VersionCheck {

void request()
{
    const CallHttpInfo info{QString::fromUtf8(BuildSettings::apiBaseUrl) + QStringLiteral("version/mac/index.php"), 5};
    P2PClientMsg::SendMsgToP2PClient(QString::fromLatin1(ControlCode::CallHttp), info, true, &onVersionInfo);
}

std::optional<std::array<qint64, 3>> parseVersion(const QString &text)
{
    const QStringList pieces = text.split(u'.', Qt::SkipEmptyParts);
    if (pieces.size() != 3)
        return std::nullopt;
    return std::array<qint64, 3>{versionPart(pieces[0]), versionPart(pieces[1]), versionPart(pieces[2])};
}

bool isNewer(const QString &offered, const QString &own)
{
    const auto theirs = parseVersion(offered);
    const auto ours = parseVersion(own);
    return theirs && ours && *ours < *theirs;
}

QString versionsFolder()
{
    const QString product = UtilSystem::getDocumentPath(QStringLiteral("Fenmar"));
    UtilSystem::createDirIfNotExist(product);
    const QString folder = UtilSystem::pathJoin(product, QStringLiteral("versions"));
    UtilSystem::createDirIfNotExist(folder);
    return folder;
}

void onVersionInfo(const std::optional<LenientJson> &answer)
{
    if (!answer)
        return;
    const QString text = answer->stringValue();
    const LenientJson reply = LenientJson::parse(text);
    if (reply.parseFailed()) {
        Console::printLine(QStringLiteral("Json error : ") + text);
        return;
    }
    if (reply["info"].int64Value() != 1)
        return;
    const QString number = reply["number"].stringValue();
    const QString url = reply["url"].stringValue();
    if (!parseVersion(number) || !parseVersion(Env::appVersion))
        return;
    if (!isNewer(number, Env::appVersion)) {
        Console::printLine(QStringLiteral("No Newer Version."));
        return;
    }
    if (!isUsableInFileName(number))
        return;

    const QString folder = versionsFolder();
    const QString downloadPath = UtilSystem::pathJoin(folder, QStringLiteral("Fenmar") + number + QStringLiteral(".tmp"));
    const QString installerPath = UtilSystem::pathJoin(folder, QStringLiteral("Fenmar") + number + QStringLiteral(".dmg"));
    // An empty installer left by a failed save is never offered; a new download replaces it.
    if (isInstallerFile(installerPath)) {
        offerInstaller(installerPath);
        return;
    }
    if (downloadInFlight())
        return;
    downloadInFlight() = true;
    P2PClientMsg::SendMsgToP2PClient(
        QString::fromLatin1(ControlCode::CallHttpDownload), CallHttpDownloadInfo{url, downloadPath}, true,
        [url, installerPath, downloadPath](const std::optional<LenientJson> &downloaded) {
            onInstallerDownloaded(downloaded, url, installerPath, downloadPath);
        });
}

void onInstallerDownloaded(const std::optional<LenientJson> &answer, const QString &url,
                           const QString &installerPath, const QString &downloadPath)
{
    downloadInFlight() = false;
    Console::printLine(answer ? answer->rawString() : QStringLiteral("no answer"));
    if (!answer || !(*answer)["IsSucc"].boolValue())
        return;
    // The bridge's word is checked against the file: a full disk can leave an empty file or a
    // short one behind a reported success. Such a download failed; the next check tries again.
    const qint64 size = UtilSystem::getFileSize(downloadPath);
    const LenientJson reported = (*answer)["Size"];
    if (size <= 0 || (reported.exists() && reported.int64Value() != size)) {
        Console::printLine(QStringLiteral("Download Failed - %1 holds %2 bytes, the bridge reported %3")
                               .arg(downloadPath)
                               .arg(size)
                               .arg(reported.exists() ? reported.stringValue() : QStringLiteral("none")));
        return;
    }
    Console::printLine(QStringLiteral("Got New Version - ") + url + u' ' + installerPath);
    UtilSystem::renameFile(downloadPath, installerPath);
    QTimer::singleShot(0, QCoreApplication::instance(), [installerPath] { offerInstaller(installerPath); });
}

bool isInstallerFile(const QString &path)
{
    return UtilSystem::isFile(path) && UtilSystem::getFileSize(path) > 0;
}

void offerInstaller(const QString &installerPath)
{
    if (!isInstallerFile(installerPath) || !Env::globalLoginView)
        return;
    Env::globalLoginView->offerUpgrade(installerPath);
}

bool isDownloadInFlight()
{
    return downloadInFlight();
}

void resetForTests()
{
    downloadInFlight() = false;
}

} // namespace VersionCheck
