#pragma once

#include <QString>

// Diagnostics are plain lines on standard output, no levels, no log file.
namespace Console {

// Writes one line in a single call, so lines printed from worker threads never interleave.
void printLine(const QString &line);

} // namespace Console
