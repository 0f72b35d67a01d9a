#include "text_order.h"

#include <algorithm>

namespace {

// Code units below U+0300 never combine with a neighbour, so such a text is already composed.
// File names are mostly of this kind; it spares a normalisation per name when sorting.
bool surelyComposed(const QString &s)
{
    return std::all_of(s.cbegin(), s.cend(), [](QChar c) { return c.unicode() < 0x300; });
}

// Surrogates (U+D800..U+DFFF) stand for code points above U+FFFF, so they must sort after
// U+E000..U+FFFF; shifting both ranges gives code point order on UTF-16 units.
inline char32_t orderUnit(char16_t c)
{
    if (c < 0xD800)
        return c;
    return c >= 0xE000 ? char32_t(c) - 0x800 : char32_t(c) + 0x2000;
}

} // namespace

QString TextOrder::canonical(const QString &s)
{
    return surelyComposed(s) ? s : s.normalized(QString::NormalizationForm_C);
}

int TextOrder::compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *pa = a.utf16();
    const char16_t *pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] != pb[i])
            return orderUnit(pa[i]) < orderUnit(pb[i]) ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

int TextOrder::compareCanonical(const QString &a, const QString &b)
{
    return compareCodePoints(canonical(a), canonical(b));
}
