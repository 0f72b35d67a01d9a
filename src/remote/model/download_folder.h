#pragma once

#include <QString>

// The folder downloads from remote hosts are saved into: the setting "SaveAtDir", shared with the
// settings page. GUI thread (it reads and writes the database).
namespace DownloadFolder {

// Documents/Fenmar/Downloads.
QString defaultFolder();

// The stored folder; when none is stored, the default folder, made when missing and stored.
QString current();

// Stores folder under "SaveAtDir".
bool store(const QString &folder);

} // namespace DownloadFolder
