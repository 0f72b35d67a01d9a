#pragma once

#include "fake_main_view.h"
#include "qstring_print.h"
#include "test_wait.h"

#include <QStringList>

namespace ContactsTest {

// Puts the bridge layer back to its start and opens a fresh database in the test's HOME.
void resetAll();
// A file of size bytes (its content varies so that a truncated copy shows).
void writeFile(const QString &path, qint64 size);
// Every file below folder, relative to it, sorted; hidden ones included.
QStringList filesBelow(const QString &folder);

} // namespace ContactsTest
