#pragma once

#include <QtGlobal>

class QByteArray;
class QSaveFile;
class QString;

// Saves that report what really happened. QSaveFile buffers what it is given and writes it out
// only when flushed; on Qt 6.4 a failure there (a full disk) does not stop commit(), which then
// puts an empty or cut-short file in the place of the good one. Every save of the stand-in goes
// through here.
namespace CheckedSave {

// Hands data to the file; false when it did not take all of it.
bool write(QSaveFile &file, const char *data, qint64 size);
bool write(QSaveFile &file, const QByteArray &bytes);

// Writes out what is still buffered and only then puts the file in place. On any failure the
// save is cancelled, whatever was at the file's name stays, and error says why.
bool commit(QSaveFile &file, QString *error);

// The whole file at once: afterwards path holds bytes, or on failure what it held before.
bool writeFile(const QString &path, const QByteArray &bytes, QString *error);

} // namespace CheckedSave
