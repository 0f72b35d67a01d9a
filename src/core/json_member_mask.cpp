#include "json_member_mask.h"

#include "lenient_json.h"

#include <QList>

#include <utility>

namespace {

// Walks a JSON text that has already parsed as one object, only as far as it must to find where
// each top-level value begins and ends.
class TopLevelScanner final
{
public:
    explicit TopLevelScanner(const QString &text) : m_text(text) {}

    // [begin, end) of each top-level value whose member is named key; no value when the text is
    // no object.
    std::optional<QList<std::pair<qsizetype, qsizetype>>> valueSpans(const QString &key)
    {
        QList<std::pair<qsizetype, qsizetype>> spans;
        // The JSON reader passes over a leading byte-order mark, so does this.
        take(u'\uFEFF');
        skipSpace();
        if (!take(u'{'))
            return std::nullopt;
        skipSpace();
        if (take(u'}'))
            return atEnd() ? std::optional(spans) : std::nullopt;
        while (true) {
            skipSpace();
            const qsizetype keyBegin = m_at;
            if (!skipString())
                return std::nullopt;
            // Decoded, so that an escaped spelling of the name is found too.
            const QString name = LenientJson::parse(m_text.mid(keyBegin, m_at - keyBegin)).stringValue();
            skipSpace();
            if (!take(u':'))
                return std::nullopt;
            skipSpace();
            const qsizetype valueBegin = m_at;
            if (!skipValue())
                return std::nullopt;
            if (name == key)
                spans.append({valueBegin, m_at});
            skipSpace();
            if (take(u','))
                continue;
            if (take(u'}'))
                return atEnd() ? std::optional(spans) : std::nullopt;
            return std::nullopt;
        }
    }

private:
    bool atEnd()
    {
        skipSpace();
        return m_at == m_text.size();
    }

    void skipSpace()
    {
        while (m_at < m_text.size() && QStringView(u" \t\r\n").contains(m_text[m_at]))
            ++m_at;
    }

    bool take(char16_t c)
    {
        if (m_at >= m_text.size() || m_text[m_at] != c)
            return false;
        ++m_at;
        return true;
    }

    bool skipString()
    {
        if (!take(u'"'))
            return false;
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at++];
            if (c == u'\\')
                ++m_at;
            else if (c == u'"')
                return true;
        }
        return false;
    }

    bool skipValue()
    {
        if (m_at >= m_text.size())
            return false;
        const QChar first = m_text[m_at];
        if (first == u'"')
            return skipString();
        if (first == u'{' || first == u'[')
            return skipNested();
        // A number or a literal runs up to the next delimiter.
        const qsizetype begin = m_at;
        while (m_at < m_text.size() && !QStringView(u",}] \t\r\n").contains(m_text[m_at]))
            ++m_at;
        return m_at > begin;
    }

    bool skipNested()
    {
        qsizetype depth = 0;
        while (m_at < m_text.size()) {
            const QChar c = m_text[m_at];
            if (c == u'"') {
                if (!skipString())
                    return false;
                continue;
            }
            ++m_at;
            if (c == u'{' || c == u'[') {
                ++depth;
            } else if (c == u'}' || c == u']') {
                if (--depth == 0)
                    return true;
            }
        }
        return false;
    }

    const QString &m_text;
    qsizetype m_at = 0;
};

} // namespace

namespace JsonMemberMask {

std::optional<QString> maskTopLevel(const QString &text, const QString &key, const QString &mask)
{
    const LenientJson parsed = LenientJson::parse(text);
    if (parsed.parseFailed() || !parsed.isObject())
        return std::nullopt;
    const auto spans = TopLevelScanner(text).valueSpans(key);
    if (!spans)
        return std::nullopt;
    const QString maskText = LenientJson::fromJson(mask.toStdString()).rawString();
    QString masked = text;
    // From the last to the first, so that the earlier offsets stay valid.
    for (auto span = spans->crbegin(); span != spans->crend(); ++span)
        masked.replace(span->first, span->second - span->first, maskText);
    return masked;
}

std::optional<QString> maskTopLevelRewritten(const QString &text, const QString &key, const QString &mask)
{
    const LenientJson parsed = LenientJson::parse(text);
    if (!parsed.isObject())
        return std::nullopt;
    LenientJson::Json object = parsed.json();
    const std::string name = key.toStdString();
    if (object.contains(name))
        object[name] = mask.toStdString();
    return LenientJson::fromJson(std::move(object)).rawString();
}

} // namespace JsonMemberMask
