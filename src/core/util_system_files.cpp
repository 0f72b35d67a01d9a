// File facts, listing, removing and renaming on the local disk. Everything here may run on a
// worker thread that serves a peer, so nothing keeps state.
#include "util_system.h"

#include "console.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;
using Console::printLine;

namespace {

fs::path toFsPath(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

QString fromFsName(const fs::path &name)
{
    return QFile::decodeName(QByteArray::fromStdString(name.native()));
}

QString describe(const std::error_code &ec)
{
    return QString::fromLocal8Bit(ec.message());
}

// An empty text means "here" to the file system; for us it names nothing.
QFileInfo infoOf(const QString &path)
{
    return path.isEmpty() ? QFileInfo() : QFileInfo(path);
}

bool isExistingDir(const QString &path)
{
    return infoOf(path).isDir();
}

// Copies from next to to and renames the copy over to, so to is either the old or the new file.
bool copyOver(const fs::path &from, const fs::path &to, std::error_code &ec)
{
    fs::path temporary = to;
    temporary += ".fenmar-move";
    fs::copy_file(from, temporary, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(temporary, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    fs::remove(from, ec);
    return !ec;
}

} // namespace

QString UtilSystem::getDocumentPath(const QString &name)
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir().mkpath(documents);
    return QDir::cleanPath(documents + u'/' + name);
}

void UtilSystem::createDirIfNotExist(const QString &path)
{
    if (isExistingDir(path))
        return;
    std::error_code ec;
    fs::create_directories(toFsPath(path), ec);
    // Something other than a folder at the path itself gets the reason the system's own folder
    // creation gives; the library reports it as success or as "not a directory".
    if (!isExistingDir(path) && (!ec || infoOf(path).exists()))
        ec = std::make_error_code(std::errc::file_exists);
    if (ec)
        printLine(QStringLiteral("Error: ") + describe(ec));
}

QStringList UtilSystem::getFileList(const QString &path, std::uint8_t kind, const QString &filter)
{
    if (!isExistingDir(path))
        return {};
    std::error_code ec;
    fs::directory_iterator it(toFsPath(path), ec);
    if (ec) {
        printLine(describe(ec));
        return {};
    }
    QStringList names;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const QString name = fromFsName(it->path().filename());
        if (name.startsWith(u'.'))
            continue;
        if (kind != 0) {
            // Follows links, as a later look at the entry does, so both agree on what a folder is.
            std::error_code statusError;
            const bool isDir = it->is_directory(statusError);
            if (isDir != (kind == 1))
                continue;
        }
        names.append(name);
    }
    if (ec) {
        printLine(describe(ec));
        return {};
    }
    return filter.isEmpty() ? names : filterNames(names, filter);
}

QStringList UtilSystem::filterNames(const QStringList &names, const QString &filter)
{
    const QString wanted = filter.toLower();
    QStringList kept;
    for (const QString &name : names) {
        if (name.toLower().contains(wanted))
            kept.append(name);
    }
    return kept;
}

qint64 UtilSystem::getFileSize(const QString &path)
{
    const QFileInfo info = infoOf(path);
    return info.exists() ? info.size() : 0;
}

QDateTime UtilSystem::getFileTime(const QString &path)
{
    const QFileInfo info = infoOf(path);
    if (!info.exists()) {
        std::error_code ec;
        (void)fs::status(toFsPath(path), ec);
        if (!ec)
            ec = std::make_error_code(std::errc::no_such_file_or_directory);
        printLine(QStringLiteral("Get attributes errer: Error Domain=%1 Code=%2 \"%3\" Path=%4")
                      .arg(QString::fromLatin1(ec.category().name()))
                      .arg(ec.value())
                      .arg(describe(ec), path));
        return QDateTime::currentDateTimeUtc();
    }
    QDateTime created = info.birthTime();
    // Many Linux file systems keep no creation time; the last change of the contents is the
    // closest fact, and far better than showing every file as made just now.
    if (!created.isValid())
        created = info.lastModified();
    if (!created.isValid())
        return QDateTime::currentDateTimeUtc();
    const qint64 offsetSeconds = QDateTime::currentDateTime().offsetFromUtc();
    return QDateTime::fromMSecsSinceEpoch(created.toMSecsSinceEpoch() + offsetSeconds * 1000,
                                          Qt::UTC);
}

bool UtilSystem::isFile(const QString &path)
{
    const QFileInfo info = infoOf(path);
    return info.exists() && !info.isDir();
}

int UtilSystem::getPathType(const QString &path)
{
    if (isExistingDir(path))
        return 2;
    return isFile(path) ? 1 : 0;
}

void UtilSystem::fileOperation(const QString &op, const QString &paths)
{
    if (op != QLatin1String("delete"))
        return;
    const QStringList pieces = paths.split(u'|');
    for (const QString &piece : pieces)
        removeFile(piece);
}

bool UtilSystem::removeFile(const QString &path)
{
    std::error_code ec;
    const fs::path target = toFsPath(path);
    // A link is removed itself, never what it points to; a missing item is a failure.
    const bool present = !path.isEmpty() && fs::exists(fs::symlink_status(target, ec));
    if (present && !ec)
        fs::remove_all(target, ec);
    if (!present || ec) {
        printLine(QStringLiteral("Failed to remove file."));
        return false;
    }
    return true;
}

bool UtilSystem::renameFile(const QString &from, const QString &to)
{
    if (!isFile(from)) {
        printLine(QStringLiteral("RenameFile Failed, not exist: ") + from);
        return false;
    }
    // rename() replaces a file at to in one step, so the old destination is gone only once the
    // new one is in place; a folder at to makes it fail and stay as it was.
    std::error_code ec;
    const fs::path source = toFsPath(from);
    const fs::path target = toFsPath(to);
    if (to.isEmpty()) {
        ec = std::make_error_code(std::errc::no_such_file_or_directory);
    } else {
        fs::rename(source, target, ec);
        if (ec == std::errc::cross_device_link) {
            ec.clear();
            copyOver(source, target, ec);
        }
    }
    if (ec) {
        printLine(QStringLiteral("RenameFile Failed: %1 -> %2: %3").arg(from, to, describe(ec)));
        return false;
    }
    return true;
}
