#pragma once

#include <QString>

#include <ostream>

// Readable texts in failure messages.
void PrintTo(const QString &text, std::ostream *os);
