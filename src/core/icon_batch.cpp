// FileItem::dynaReloadIcons: one "buildIcon2" request of a peer, answered once with the icons of
// all its files. Thumbnails are made on the worker pool, one task per file, so a batch uses every
// core and a slow file never holds up the others.
#include "file_item.h"

#include "lenient_json.h"
#include "main_screen_scale.h"
#include "thumbnails.h"
#include "util_system.h"

#include <QMetaObject>
#include <QMutex>
#include <QMutexLocker>
#include <QPointer>
#include <QThreadPool>

#include <cstdio>
#include <memory>

namespace {

// Thumbnails are asked for at 80 by 80 points whatever size the asker names.
constexpr qreal iconPoints = 80;

struct IconBatch
{
    QMutex mutex;
    std::vector<FileDynaReloadData> results;
    size_t expected = 0;
    bool hasContext = false;
    QPointer<QObject> context;
    std::function<void(const QString &)> completion;
};

void answer(const std::shared_ptr<IconBatch> &batch, const QString &text)
{
    if (!batch->hasContext) {
        batch->completion(text);
        return;
    }
    // A context destroyed meanwhile has nobody left to answer.
    if (QObject *context = batch->context.data())
        QMetaObject::invokeMethod(context, [completion = batch->completion, text] { completion(text); },
                                  Qt::QueuedConnection);
}

// Strict decimal integer with an optional sign, as the asker writes row numbers.
bool parseIndex(const QString &text, qint64 &index)
{
    if (text.isEmpty())
        return false;
    const qsizetype digitsFrom = (text[0] == u'+' || text[0] == u'-') ? 1 : 0;
    if (digitsFrom == text.size())
        return false;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return false;
    }
    bool ok = false;
    index = QStringView(text).mid(digitsFrom).toLongLong(&ok);
    if (ok && text[0] == u'-')
        index = -index;
    return ok;
}

// The per-thumbnail step: wraps the picture as a data URL, keeps the record and answers once the
// last one is in.
void iconJSON(const QImage &image, FileDynaReloadData record, const std::shared_ptr<IconBatch> &batch)
{
    record.iconBase64 = QString::fromLatin1(iconDataUrlPrefix) + QString::fromLatin1(pngData(image).toBase64());
    std::vector<FileDynaReloadData> done;
    {
        QMutexLocker lock(&batch->mutex);
        batch->results.push_back(std::move(record));
        if (batch->results.size() != batch->expected)
            return;
        done = std::move(batch->results);
    }
    answer(batch, QelJSON::toJSONString(done));
}

// Reads the list and starts one task per file that exists and is no folder.
void startBatch(const QString &fileList, const std::shared_ptr<IconBatch> &batch, qreal scale)
{
    const LenientJson list = LenientJson::parse(fileList);
    if (list.parseFailed()) {
        std::puts("error: ");
        std::fflush(stdout);
    }

    std::vector<FileDynaReloadData> records;
    const qsizetype n = list.isArray() ? list.count() : 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QStringList pieces = list[i].stringValue().split(u'|');
        FileDynaReloadData record;
        if (pieces.size() < 2 || !parseIndex(pieces[1], record.index))
            continue;
        record.fullPath = pieces[0];
        if (UtilSystem::getPathType(record.fullPath) != 1)
            continue;
        record.size = UtilSystem::getFileSize(record.fullPath);
        records.push_back(std::move(record));
    }

    batch->expected = records.size();
    // Nothing to wait for: the asker still gets its one answer.
    if (records.empty()) {
        answer(batch, QStringLiteral("[]"));
        return;
    }
    for (FileDynaReloadData &record : records) {
        QThreadPool::globalInstance()->start([record = std::move(record), batch, scale]() mutable {
            const QImage image = makeFileThumbnail(record.fullPath, iconPoints, iconPoints, scale);
            iconJSON(image, std::move(record), batch);
        });
    }
}

} // namespace

void FileItem::dynaReloadIcons(const QString &fileList, QObject *context,
                               std::function<void(const QString &answer)> completion)
{
    auto batch = std::make_shared<IconBatch>();
    batch->hasContext = context != nullptr;
    batch->context = context;
    batch->completion = std::move(completion);
    // The scale is the main screen's as the batch starts; even the checks of the paths touch the
    // disk, so all the rest leaves the calling thread.
    MainScreen::withScale([fileList, batch](qreal scale) {
        QThreadPool::globalInstance()->start([fileList, batch, scale] { startBatch(fileList, batch, scale); });
    });
}
