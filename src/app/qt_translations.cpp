#include "qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

std::unique_ptr<QTranslator> installQtTranslations(const QLocale &locale)
{
    auto translator = std::make_unique<QTranslator>();
    // Tries the locale's languages in turn: qtbase_zh_CN, then qtbase_zh, and so on.
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    QCoreApplication::installTranslator(translator.get());
    return translator;
}
