#pragma once

#include <QString>

#include <functional>
#include <string>

// Permission faults cannot be made as root, so then the check runs in a child process as nobody
// (or, where no such user is mapped, as root without its capabilities),
// inside a world-writable folder (the test HOME is private to root). The check returns "" when
// all went as expected, else what went wrong; so does this.
std::string runUnprivileged(const std::function<std::string(const QString &base)> &check);
