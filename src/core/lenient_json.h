#pragma once

// The one reader of received JSON. Nothing here throws: a member that is absent, or of another
// kind than asked for, reads as "" / 0 / false, the way every receiver in the program expects.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <nlohmann/json.hpp>

#include <memory>

class LenientJson final
{
public:
    using Json = nlohmann::json;

    // An absent value: every read gives "" / 0 / false, every lookup gives another absent value.
    LenientJson() = default;

    // Text that is not JSON (or nested absurdly deep) gives an absent value with parseFailed() true.
    // Bytes that are not valid UTF-8 are replaced, never refused.
    static LenientJson parse(const QByteArray &utf8);
    static LenientJson parse(const QString &text);
    static LenientJson fromJson(Json json);

    bool parseFailed() const { return m_parseFailed; }
    bool exists() const { return m_node != nullptr; }
    bool isNull() const { return m_node && m_node->is_null(); }
    bool isObject() const { return m_node && m_node->is_object(); }
    bool isArray() const { return m_node && m_node->is_array(); }
    bool isString() const { return m_node && m_node->is_string(); }
    bool isNumber() const { return m_node && m_node->is_number(); }
    bool isBool() const { return m_node && m_node->is_boolean(); }

    // Member of an object; absent for anything else.
    LenientJson operator[](const char *key) const;
    LenientJson operator[](const QString &key) const;
    // Element of an array; absent for anything else or out of range.
    LenientJson operator[](qsizetype index) const;
    LenientJson operator[](int index) const { return (*this)[qsizetype(index)]; }

    // A text as itself, a number as its decimal text, true/false as "true"/"false", anything else "".
    QString stringValue() const;
    // A number's integer part, a text's leading decimal number, true 1, anything else 0.
    qint64 int64Value() const;
    int intValue() const;
    double doubleValue() const;
    // true, a non-zero number, or a text such as "true"/"yes"/"1"; anything else false.
    bool boolValue() const;

    // Elements of an array or members of an object; 0 otherwise.
    qsizetype count() const;
    QStringList keys() const;

    // Compact JSON text of this value; "" when absent.
    QString rawString() const;

    // The value itself, for handing on unchanged; null when absent.
    Json json() const;

private:
    LenientJson(std::shared_ptr<const Json> root, const Json *node) : m_root(std::move(root)), m_node(node) {}

    std::shared_ptr<const Json> m_root;
    const Json *m_node = nullptr;
    bool m_parseFailed = false;
};
