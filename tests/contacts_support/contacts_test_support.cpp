#include "contacts_test_support.h"

#include "bridge_state_reset.h"
#include "test_home.h"
#include "util_db.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace ContactsTest {

void resetAll()
{
    BridgeState::resetForTests();
    UtilDB::close();
    QDir().mkpath(TestHome::path() + QStringLiteral("/db"));
    UtilDB::openAt(TestHome::path() + QStringLiteral("/db/fenmar.dat"));
}

void writeFile(const QString &path, qint64 size)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    QByteArray block(64 * 1024, Qt::Uninitialized);
    for (qint64 written = 0; written < size; written += block.size()) {
        for (qsizetype i = 0; i < block.size(); ++i)
            block[i] = char((written + i) * 31 % 251);
        file.write(block.constData(), std::min<qint64>(block.size(), size - written));
    }
}

QStringList filesBelow(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(folder).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace ContactsTest
