#include "localization.h"

#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

using StringTable = QHash<QString, QString>;

// Reads one table of the program's resources. A broken table is a build fault; it is printed
// and its keys then show as themselves.
StringTable loadTable(const QString &resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stdout, "Missing string table %s\n", qPrintable(resource));
        return {};
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (!document.isObject()) {
        std::fprintf(stdout, "Broken string table %s: %s\n", qPrintable(resource), qPrintable(error.errorString()));
        return {};
    }
    StringTable table;
    const QJsonObject object = document.object();
    for (auto it = object.begin(); it != object.end(); ++it)
        table.insert(it.key(), it.value().toString(it.key()));
    return table;
}

struct StringTables
{
    StringTable english = loadTable(QStringLiteral(":/strings/en.json"));
    StringTable chinese = loadTable(QStringLiteral(":/strings/zh.json"));
};

const StringTables &tables()
{
    // Loaded once, on first use; safe when several threads ask first at the same moment.
    static const StringTables loaded;
    return loaded;
}

} // namespace

QString localizedString(const QString &key, const QLocale &locale)
{
    // Only the language code counts: zh_CN, zh_TW and zh_Hant_HK all read the Chinese table.
    const bool chinese = QLocale::languageToCode(locale.language()) == QLatin1String("zh");
    const StringTable &table = chinese ? tables().chinese : tables().english;
    return table.value(key, key);
}
