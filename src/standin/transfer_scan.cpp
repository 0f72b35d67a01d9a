#include "transfer_scan.h"

#include "transfer_names.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

namespace {

class Scanner
{
public:
    Scanner(const std::atomic_bool &stop, std::size_t maxEntries) : m_stop(stop), m_maxEntries(maxEntries) {}

    TransferScan scan(const std::vector<TransferSource> &sources)
    {
        for (std::size_t i = 0; i < sources.size() && !halted(); ++i)
            scanSource(sources[i]);
        m_result.stopped = m_stop.load();
        return std::move(m_result);
    }

private:
    bool halted() const { return m_stop.load() || m_result.tooMany; }

    void scanSource(const TransferSource &source)
    {
        const int group = source.group;
        const QFileInfo info(source.path);
        if (!info.exists()) {
            m_result.missing << source.path;
            return;
        }
        if (info.isFile()) {
            add(source.path, source.target, false, info.size(), group);
            return;
        }
        if (!info.isDir()) {
            ++m_result.skipped;
            return;
        }
        add(source.path, source.target, true, 0, group);
        const QDir root(info.absoluteFilePath());
        QDirIterator it(root.path(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext() && !halted()) {
            it.next();
            const QFileInfo entry = it.fileInfo();
            if (entry.isSymLink() || !(entry.isDir() || entry.isFile())) {
                ++m_result.skipped;
                continue;
            }
            const QStringList below = root.relativeFilePath(entry.filePath()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
            add(entry.filePath(), source.target + below, entry.isDir(), entry.isDir() ? 0 : entry.size(), group);
        }
    }

    void add(const QString &path, const QStringList &target, bool isDir, qint64 size, int group)
    {
        const QString key = target.join(QLatin1Char('/'));
        if (m_seen.contains(key))
            return;
        m_seen.insert(key);
        if (m_result.entries.size() >= m_maxEntries) {
            m_result.tooMany = true;
            return;
        }
        m_result.entries.push_back(TransferEntry{path, target, isDir, size, group});
        if (!isDir) {
            ++m_result.fileCount;
            m_result.totalBytes += size;
        }
    }

    const std::atomic_bool &m_stop;
    std::size_t m_maxEntries;
    TransferScan m_result;
    QSet<QString> m_seen;
};

} // namespace

TransferScan scanSources(const std::vector<TransferSource> &sources, const std::atomic_bool &stop,
                         std::size_t maxEntries)
{
    return Scanner(stop, maxEntries).scan(sources);
}

bool sourcesFromTargets(const QString &targets, const QString &localRoot, std::vector<TransferSource> *sources,
                        QString *why)
{
    const QStringList paths = targets.split(QLatin1Char('|'), Qt::SkipEmptyParts);
    if (paths.isEmpty()) {
        *why = QStringLiteral("Nothing to copy");
        return false;
    }
    QString root = localRoot;
    while (root.size() > 1 && root.endsWith(QLatin1Char('/')))
        root.chop(1);
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!path.startsWith(QLatin1Char('/')) || !info.exists()) {
            *why = QStringLiteral("Not found: ") + path;
            return false;
        }
        QStringList target;
        const QString prefix = root == QStringLiteral("/") ? root : root + QLatin1Char('/');
        if (!root.isEmpty() && path.startsWith(prefix) && TransferNames::splitRelative(path.mid(prefix.size()), &target)
            && !target.isEmpty()) {
            // kept relative to the root
        } else if (TransferNames::isSafeComponent(info.fileName())) {
            target = QStringList{info.fileName()};
        } else {
            *why = QStringLiteral("Not found: ") + path;
            return false;
        }
        sources->push_back(TransferSource{info.absoluteFilePath(), target, int(sources->size())});
    }
    return true;
}
