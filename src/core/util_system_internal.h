#pragma once

#include <QString>

#include <filesystem>

// Shared by the UtilSystem source files only.
namespace UtilSystemInternal {

// Writes one line to standard output in a single call, so lines printed by workers never interleave.
void printLine(const QString &line);

// The file-system form of a path text (the local 8-bit file name encoding).
std::filesystem::path toFsPath(const QString &path);

} // namespace UtilSystemInternal
