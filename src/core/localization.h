#pragma once

#include <QLocale>
#include <QString>

#include <utility>

// Interface texts are looked up by key in one of two string tables compiled into the program:
// Simplified Chinese when the locale's language code is "zh", English for every other locale.
// A key that the table lacks comes back as it is, so a missing text shows its key.
//
//     label->setText(localizedString(LocalizedStringKey("LS_NoHost").stringKey()));
//
// Every key passed here must be a literal: a test checks that both tables hold each one.

// A key written as a literal in the code.
class LocalizedStringKey final
{
public:
    explicit LocalizedStringKey(const char *key) : m_key(QString::fromUtf8(key)) {}
    explicit LocalizedStringKey(QString key) : m_key(std::move(key)) {}

    QString stringKey() const { return m_key; }

private:
    QString m_key;
};

// The text of key in locale's language; callers pass the current locale (the default).
QString localizedString(const QString &key, const QLocale &locale = QLocale());
