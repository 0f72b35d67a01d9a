#pragma once

#include <QString>
#include <QStringView>

// The order of names in file lists: Unicode code point by code point after canonical
// composition, case-sensitive. So "B" sorts before "a", and a name typed with a combining accent
// equals the same name typed with the precomposed letter.
namespace TextOrder {

// The canonical composition (NFC) of s; s itself (shared, no copy) when it is already composed.
QString canonical(const QString &s);

// <0, 0 or >0 by code points. UTF-16 order differs from code point order above U+D7FF, so the
// units are remapped before they are compared.
int compareCodePoints(QStringView a, QStringView b);

// compareCodePoints of the canonical forms.
int compareCanonical(const QString &a, const QString &b);

} // namespace TextOrder
