#pragma once

#include <QLocale>

#include <memory>

class QTranslator;

// Qt's own texts (the folder panel, the standard buttons) in the language of locale, read from
// the translations Qt ships and installed on the application; they stay installed while the
// result lives. None when Qt has none for that language.
std::unique_ptr<QTranslator> installQtTranslations(const QLocale &locale = QLocale());
