#include "lenient_json.h"

#include "qel_json.h"

#include <cmath>
#include <limits>

namespace {

// nlohmann's parser handles any depth, but a value nested this deep is never a real message and
// would cost stack elsewhere; refuse it as not JSON.
constexpr int maxNesting = 512;

bool nestingWithinLimit(const QByteArray &bytes)
{
    int depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : bytes) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > maxNesting)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

qint64 clampToInt64(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2233720368547758e18)
        return std::numeric_limits<qint64>::max();
    if (value <= -9.2233720368547758e18)
        return std::numeric_limits<qint64>::min();
    return qint64(value);
}

// The leading decimal number of a text ("12", "-3.5", " 7kb"), 0 when it starts with none.
double leadingNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed[end] == u'-' || trimmed[end] == u'+'))
        ++end;
    const qsizetype digitsStart = end;
    while (end < trimmed.size() && trimmed[end].isDigit() && trimmed[end].unicode() < 128)
        ++end;
    if (end < trimmed.size() && trimmed[end] == u'.') {
        ++end;
        while (end < trimmed.size() && trimmed[end].isDigit() && trimmed[end].unicode() < 128)
            ++end;
    }
    if (end == digitsStart)
        return 0;
    bool ok = false;
    const double value = trimmed.left(end).toDouble(&ok);
    return ok ? value : 0;
}

} // namespace

LenientJson LenientJson::parse(const QByteArray &utf8)
{
    LenientJson failed;
    failed.m_parseFailed = true;
    if (!nestingWithinLimit(utf8))
        return failed;

    Json parsed = Json::parse(utf8.begin(), utf8.end(), nullptr, false);
    if (parsed.is_discarded()) {
        // Invalid UTF-8 makes the parser give up; names with stray bytes are replaced instead.
        const QByteArray repaired = QString::fromUtf8(utf8).toUtf8();
        if (repaired == utf8)
            return failed;
        parsed = Json::parse(repaired.begin(), repaired.end(), nullptr, false);
        if (parsed.is_discarded())
            return failed;
    }
    return fromJson(std::move(parsed));
}

LenientJson LenientJson::parse(const QString &text)
{
    return parse(text.toUtf8());
}

LenientJson LenientJson::fromJson(Json json)
{
    auto root = std::make_shared<const Json>(std::move(json));
    const Json *node = root.get();
    return LenientJson(std::move(root), node);
}

LenientJson LenientJson::operator[](const char *key) const
{
    if (!isObject())
        return {};
    const auto it = m_node->find(key);
    if (it == m_node->end())
        return {};
    return LenientJson(m_root, &*it);
}

LenientJson LenientJson::operator[](const QString &key) const
{
    return (*this)[QelJSON::toUtf8(key).c_str()];
}

LenientJson LenientJson::operator[](qsizetype index) const
{
    if (!isArray() || index < 0 || size_t(index) >= m_node->size())
        return {};
    return LenientJson(m_root, &(*m_node)[size_t(index)]);
}

QString LenientJson::stringValue() const
{
    if (!m_node)
        return {};
    switch (m_node->type()) {
    case Json::value_t::string:
        return QelJSON::fromUtf8(m_node->get_ref<const std::string &>());
    case Json::value_t::boolean:
        return m_node->get<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    case Json::value_t::number_integer:
        return QString::number(m_node->get<qint64>());
    case Json::value_t::number_unsigned:
        return QString::number(m_node->get<quint64>());
    case Json::value_t::number_float:
        return QString::number(m_node->get<double>(), 'g', 17);
    default:
        return {};
    }
}

qint64 LenientJson::int64Value() const
{
    if (!m_node)
        return 0;
    switch (m_node->type()) {
    case Json::value_t::number_integer:
        return m_node->get<qint64>();
    case Json::value_t::number_unsigned: {
        const quint64 value = m_node->get<quint64>();
        return value > quint64(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max() : qint64(value);
    }
    case Json::value_t::number_float:
        return clampToInt64(m_node->get<double>());
    case Json::value_t::boolean:
        return m_node->get<bool>() ? 1 : 0;
    case Json::value_t::string: {
        const QString text = stringValue().trimmed();
        bool ok = false;
        const qint64 exact = text.toLongLong(&ok);
        return ok ? exact : clampToInt64(leadingNumber(text));
    }
    default:
        return 0;
    }
}

int LenientJson::intValue() const
{
    const qint64 value = int64Value();
    if (value > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (value < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return int(value);
}

double LenientJson::doubleValue() const
{
    if (!m_node)
        return 0;
    if (m_node->is_number())
        return m_node->get<double>();
    if (m_node->is_boolean())
        return m_node->get<bool>() ? 1 : 0;
    if (m_node->is_string())
        return leadingNumber(stringValue());
    return 0;
}

bool LenientJson::boolValue() const
{
    if (!m_node)
        return false;
    if (m_node->is_boolean())
        return m_node->get<bool>();
    if (m_node->is_number())
        return m_node->get<double>() != 0;
    if (m_node->is_string()) {
        const QString text = stringValue().trimmed().toLower();
        return text == u"true" || text == u"yes" || text == u"y" || text == u"t" || text == u"1";
    }
    return false;
}

qsizetype LenientJson::count() const
{
    return (isArray() || isObject()) ? qsizetype(m_node->size()) : 0;
}

QStringList LenientJson::keys() const
{
    QStringList result;
    if (isObject()) {
        for (auto it = m_node->begin(); it != m_node->end(); ++it)
            result << QelJSON::fromUtf8(it.key());
    }
    return result;
}

QString LenientJson::rawString() const
{
    return m_node ? QelJSON::toJSONString(*m_node) : QString();
}

LenientJson::Json LenientJson::json() const
{
    return m_node ? *m_node : Json();
}
