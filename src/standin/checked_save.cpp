#include "checked_save.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace {

// The temporary file goes; commit() after cancelWriting() closes it, removes it and fails.
void discard(QSaveFile &file)
{
    file.cancelWriting();
    file.commit();
}

} // namespace

namespace CheckedSave {

bool write(QSaveFile &file, const char *data, qint64 size)
{
    return file.write(data, size) == size;
}

bool write(QSaveFile &file, const QByteArray &bytes)
{
    return write(file, bytes.constData(), bytes.size());
}

bool commit(QSaveFile &file, QString *error)
{
    // A write that failed earlier leaves its error on the file; flush() reports the buffered rest.
    if (file.error() != QFileDevice::NoError || !file.flush()) {
        *error = QStringLiteral("cannot write %1: %2").arg(file.fileName(), file.errorString());
        discard(file);
        return false;
    }
    if (!file.commit()) {
        *error = QStringLiteral("cannot save %1: %2").arg(file.fileName(), file.errorString());
        return false;
    }
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    if (!write(file, bytes)) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        discard(file);
        return false;
    }
    return commit(file, error);
}

} // namespace CheckedSave
