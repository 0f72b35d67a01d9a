#pragma once

#include <QString>

// Diagnostics of the stand-in: one plain line on standard output, flushed at once so that a
// supervisor reading the pipe sees it while the bridge runs.
namespace StandinLog {
void print(const QString &line);
}
