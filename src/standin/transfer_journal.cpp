#include "transfer_journal.h"

#include "random_ids.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char journalPrefix[] = "transfers-";
constexpr char journalSuffix[] = ".journal";
// More than any run notes; a larger journal is not one of ours.
constexpr qint64 maxJournalBytes = 64 * 1024 * 1024;

// The temporary files a journal lists as started and not ended. A last line cut short by the
// crash it records is left out.
QStringList unfinished(const QByteArray &journal)
{
    QStringList order;
    QSet<QString> open;
    const QList<QByteArray> lines = journal.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        const QByteArray &line = lines.at(i);
        if (line.size() < 2)
            continue;
        const QString path = QUrl::fromPercentEncoding(line.mid(1));
        if (line.at(0) == '+') {
            if (!open.contains(path))
                order.append(path);
            open.insert(path);
        } else if (line.at(0) == '-') {
            open.remove(path);
        }
    }
    QStringList result;
    for (const QString &path : std::as_const(order)) {
        if (open.contains(path))
            result.append(path);
    }
    return result;
}

// Removes path when it is a leftover temporary file: a plain file (never a link) with a
// temporary name, at an absolute path.
bool removeLeftover(const QString &path)
{
    if (!QDir::isAbsolutePath(path) || !TransferJournal::isTemporaryName(path.section(QLatin1Char('/'), -1)))
        return false;
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return false;
    return ::unlink(QFile::encodeName(path).constData()) == 0;
}

} // namespace

TransferJournal::TransferJournal(QString folder) : m_folder(std::move(folder)) {}

TransferJournal::~TransferJournal()
{
    if (m_fd < 0)
        return;
    // Every transfer removes or renames its file when it ends; a journal with nothing open left
    // has nothing to tell the next run.
    if (m_open == 0)
        QFile::remove(m_path);
    ::close(m_fd);
}

bool TransferJournal::isTemporaryName(const QString &fileName)
{
    static const QRegularExpression name(QStringLiteral("^\\.fenmar-part-[0-9A-Fa-f]{12}$"));
    return name.match(fileName).hasMatch();
}

QStringList TransferJournal::removeLeftovers()
{
    QStringList removed;
    const QStringList journals = QDir(m_folder).entryList(
        {QString::fromLatin1(journalPrefix) + u'*' + QString::fromLatin1(journalSuffix)}, QDir::Files | QDir::Hidden);
    for (const QString &name : journals) {
        const QString path = m_folder + u'/' + name;
        if (path == m_path)
            continue;
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // A run that still holds its lock is alive: its files are being written.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        QFile file;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle) && file.size() <= maxJournalBytes) {
            for (const QString &leftover : unfinished(file.readAll())) {
                if (removeLeftover(leftover))
                    removed.append(leftover);
            }
        }
        file.close();
        ::unlink(QFile::encodeName(path).constData());
        ::close(fd);
    }
    return removed;
}

bool TransferJournal::open(QString *error)
{
    if (!QDir().mkpath(m_folder)) {
        *error = QStringLiteral("cannot make the folder ") + m_folder;
        return false;
    }
    const QString path = m_folder + u'/' + QString::fromLatin1(journalPrefix) + RandomIds::hex(8)
                         + QString::fromLatin1(journalSuffix);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error = QStringLiteral("cannot write ") + path;
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        QFile::remove(path);
        *error = QStringLiteral("cannot lock ") + path;
        return false;
    }
    m_fd = fd;
    m_path = path;
    return true;
}

bool TransferJournal::noteStarted(const QString &path)
{
    std::lock_guard lock(m_mutex);
    if (!append('+', path))
        return false;
    ++m_open;
    return true;
}

void TransferJournal::noteEnded(const QString &path)
{
    std::lock_guard lock(m_mutex);
    if (m_open == 0)
        return;
    --m_open;
    // Nothing open: the journal starts over rather than growing with every file of the run.
    if (m_open == 0 && m_fd >= 0 && ::ftruncate(m_fd, 0) == 0)
        return;
    append('-', path);
}

bool TransferJournal::append(char mark, const QString &path)
{
    if (m_fd < 0)
        return false;
    // One write per line: a crash leaves at most the last line cut short.
    const QByteArray line = mark + QUrl::toPercentEncoding(path) + '\n';
    return ::write(m_fd, line.constData(), size_t(line.size())) == line.size();
}
