#pragma once

// Masks a member's value inside a JSON text without re-serialising it: the rest of the text keeps
// its key order, spacing and escapes exactly as they came. Or, failing that, writes it anew.

#include <QString>

#include <optional>

namespace JsonMemberMask {

// The text with the value of every top-level member named key replaced by mask (written as a
// JSON string); the text unchanged when it has no such member. No value when the text is not one
// JSON object.
std::optional<QString> maskTopLevel(const QString &text, const QString &key, const QString &mask);

// The text's object written anew (compact, members in order of name) with the value of its
// top-level member key, if any, replaced by mask: for when the text as it came cannot be kept. No
// value when the text is not one JSON object.
std::optional<QString> maskTopLevelRewritten(const QString &text, const QString &key, const QString &mask);

} // namespace JsonMemberMask
