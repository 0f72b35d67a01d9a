#pragma once

#include <QString>

// Unguessable identifiers from the system's cryptographic source.
namespace RandomIds {

// 2 * bytes upper-case hexadecimal digits.
QString hex(int bytes);

// length characters from an alphabet without look-alikes (no 0/O, 1/I/L), for codes people type.
QString typeableCode(int length);

} // namespace RandomIds
