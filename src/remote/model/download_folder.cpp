#include "download_folder.h"

#include "util_db.h"
#include "util_system.h"

namespace DownloadFolder {

QString defaultFolder()
{
    return UtilSystem::getDocumentPath(QStringLiteral("Fenmar")) + QStringLiteral("/Downloads");
}

QString current()
{
    QString folder = UtilDB::getIcon(QString::fromLatin1(UtilDB::keySaveAtDir));
    if (folder.isEmpty()) {
        folder = defaultFolder();
        UtilSystem::createDirIfNotExist(folder);
        store(folder);
    }
    return folder;
}

bool store(const QString &folder)
{
    return UtilDB::setIcon(QString::fromLatin1(UtilDB::keySaveAtDir), folder);
}

} // namespace DownloadFolder
