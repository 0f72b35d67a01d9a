#include "qel_json.h"

namespace QelJSON {

QString formatDate(const QDateTime &date)
{
    const QDateTime local = date.toLocalTime();
    const int offsetSeconds = local.offsetFromUtc();
    const int offsetMinutes = std::abs(offsetSeconds) / 60;
    return local.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss"))
        + (offsetSeconds < 0 ? u'-' : u'+')
        + QStringLiteral("%1%2").arg(offsetMinutes / 60, 2, 10, QChar(u'0')).arg(offsetMinutes % 60, 2, 10, QChar(u'0'));
}

QString fromUtf8(const std::string &text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string toUtf8(const QString &text)
{
    // Qt replaces unpaired surrogates while encoding, so the result is always valid UTF-8.
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), size_t(bytes.size()));
}

QString toJSONString(const Json &json)
{
    return fromUtf8(json.dump(-1, ' ', false, Json::error_handler_t::replace));
}

} // namespace QelJSON
