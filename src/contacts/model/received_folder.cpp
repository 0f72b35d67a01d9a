#include "received_folder.h"

#include "util_db.h"
#include "util_system.h"

#include <QFileInfo>

namespace {

bool isFolder(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

} // namespace

namespace ReceivedFolder {

QString defaultPath()
{
    return UtilSystem::pathJoin(UtilSystem::getDocumentPath(QStringLiteral("Fenmar")), QStringLiteral("MyReceived"),
                                QStringLiteral("/"));
}

QString take()
{
    const QString key = QString::fromLatin1(UtilDB::keyMyReceivedFolder);
    const QString stored = UtilDB::getIcon(key);
    if (!stored.isEmpty()) {
        UtilSystem::createDirIfNotExist(stored);
        if (isFolder(stored))
            return stored;
    }
    const QString folder = defaultPath();
    UtilSystem::createDirIfNotExist(folder);
    // A chosen folder that is away for now (an unplugged disk) stays chosen for next time.
    if (stored.isEmpty())
        UtilDB::setIcon(key, folder);
    return folder;
}

bool choose(const QString &path)
{
    if (!isFolder(path))
        return false;
    UtilDB::setIcon(QString::fromLatin1(UtilDB::keyMyReceivedFolder), path);
    return true;
}

} // namespace ReceivedFolder
