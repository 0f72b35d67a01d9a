#pragma once

// The one JSON writer of the program. A record declares its fields once:
//
//     struct BuildIcon2 {
//         QString session;
//         std::vector<QString> fileList;
//         QEL_JSON_FIELDS(BuildIcon2, session, fileList)
//     };
//
// and converts with QelJSON::toJSONObject(record) or QelJSON::toJSONString(record). Keys are the
// field names exactly. Fields that are not listed are not written (the record's id, for example).

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

#include <nlohmann/json.hpp>

#include <cmath>
#include <concepts>
#include <map>
#include <optional>
#include <type_traits>
#include <vector>

namespace QelJSON {

using Json = nlohmann::json;

// A field that may hold any convertible value, or nothing. Empty: the field's key is left out.
class QelValue final
{
public:
    QelValue() = default;
    explicit QelValue(Json json) : m_json(std::move(json)) {}
    template <class T>
        requires(!std::same_as<std::remove_cvref_t<T>, QelValue> && !std::same_as<std::remove_cvref_t<T>, Json>)
    QelValue(const T &value); // defined below, after toJSONObject

    bool isEmpty() const { return !m_json.has_value(); }
    const Json &json() const { return *m_json; }

private:
    std::optional<Json> m_json;
};

template <class T>
concept Record = requires(const T &record, Json &object) { record.qelWriteFields(object); };

// Local time with its zone offset, e.g. "2024-01-31T14:05:09+0100".
QString formatDate(const QDateTime &date);

QString fromUtf8(const std::string &text);
std::string toUtf8(const QString &text);

template <class T>
Json toJSONObject(const T &value);

namespace detail {

template <class T>
struct IsOptional : std::false_type {};
template <class T>
struct IsOptional<std::optional<T>> : std::true_type {};

template <class T>
struct IsSequence : std::false_type {};
template <class T>
struct IsSequence<std::vector<T>> : std::true_type {};
template <class T>
struct IsSequence<QList<T>> : std::true_type {};

template <class T>
struct IsStringMap : std::false_type {};
template <class V>
struct IsStringMap<std::map<QString, V>> : std::true_type {};
template <class V>
struct IsStringMap<QMap<QString, V>> : std::true_type {};

template <class T>
void put(Json &object, const char *key, const T &value)
{
    object[key] = toJSONObject(value);
}

inline void put(Json &object, const char *key, const QelValue &value)
{
    if (!value.isEmpty())
        object[key] = value.json();
}

} // namespace detail

template <class T>
Json toJSONObject(const T &value)
{
    if constexpr (Record<T>) {
        Json object = Json::object();
        value.qelWriteFields(object);
        return object;
    } else if constexpr (std::same_as<T, QString>) {
        return toUtf8(value);
    } else if constexpr (std::same_as<T, bool>) {
        return Json(value);
    } else if constexpr (std::integral<T>) {
        return Json(value);
    } else if constexpr (std::floating_point<T>) {
        // JSON has no NaN or infinity.
        return std::isfinite(value) ? Json(value) : Json(nullptr);
    } else if constexpr (std::same_as<T, QDateTime>) {
        return toUtf8(formatDate(value));
    } else if constexpr (std::same_as<T, QelValue>) {
        return value.isEmpty() ? Json(nullptr) : value.json();
    } else if constexpr (std::same_as<T, Json>) {
        return value;
    } else if constexpr (detail::IsOptional<T>::value) {
        return value ? toJSONObject(*value) : Json(nullptr);
    } else if constexpr (detail::IsSequence<T>::value) {
        Json array = Json::array();
        for (const auto &element : value)
            array.push_back(toJSONObject(element));
        return array;
    } else if constexpr (detail::IsStringMap<T>::value) {
        Json object = Json::object();
        for (auto it = value.begin(); it != value.end(); ++it) {
            if constexpr (std::is_same_v<T, QMap<QString, typename T::mapped_type>>)
                object[toUtf8(it.key())] = toJSONObject(it.value());
            else
                object[toUtf8(it->first)] = toJSONObject(it->second);
        }
        return object;
    } else {
        static_assert(sizeof(T) == 0, "this type has no JSON form: add it to QEL_JSON_FIELDS or leave it out");
    }
}

// Compact JSON text. Text that is not valid UTF-8 never reaches the output: it is replaced.
QString toJSONString(const Json &json);

template <class T>
QString toJSONString(const T &value)
{
    return toJSONString(toJSONObject(value));
}

template <class T>
    requires(!std::same_as<std::remove_cvref_t<T>, QelValue> && !std::same_as<std::remove_cvref_t<T>, Json>)
QelValue::QelValue(const T &value) : m_json(toJSONObject(value))
{
}

} // namespace QelJSON

#define QEL_JSON_FIELD_(field) ::QelJSON::detail::put(qelObject_, #field, this->field);

// Declares the record's JSON form: one member per listed field, keyed by the field's name.
#define QEL_JSON_FIELDS(Type, ...)                                                                    \
    void qelWriteFields(::QelJSON::Json &qelObject_) const                                          \
    {                                                                                                 \
        static_assert(std::is_class_v<Type>);                                                         \
        NLOHMANN_JSON_EXPAND(NLOHMANN_JSON_PASTE(QEL_JSON_FIELD_, __VA_ARGS__))                     \
    }
