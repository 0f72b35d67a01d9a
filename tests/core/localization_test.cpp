#include "localization.h"

#include <gtest/gtest.h>

#include <QDirIterator>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

namespace {

QString testData(const QString &name)
{
    return qEnvironmentVariable("FENMAR_TEST_DATA") + "/" + name;
}

// A table exactly as it is compiled into the program.
QJsonObject compiledTable(const QString &language)
{
    QFile file(":/strings/" + language + ".json");
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no compiled table " << language.toStdString();
        return {};
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    EXPECT_TRUE(document.isObject()) << language.toStdString() << ": " << error.errorString().toStdString();
    return document.object();
}

QStringList listedKeys()
{
    QFile file(testData("localization_keys.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        ADD_FAILURE() << "no key list";
        return {};
    }
    QStringList keys;
    for (const QString &line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            keys << line;
    }
    return keys;
}

// The literal keys that code passes to the lookup.
QSet<QString> keysUsedIn(const QString &code)
{
    static const QRegularExpression call(
        R"re(\b(?:LocalizedStringKey|localizedString)\s*\(\s*(?:(?:QStringLiteral|QString|QLatin1String)\s*\(\s*|u8?)?"([^"\\]+)")re");
    QSet<QString> keys;
    for (auto it = call.globalMatch(code); it.hasNext();)
        keys.insert(it.next().captured(1));
    return keys;
}

QSet<QString> keysUsedInSources()
{
    const QString sourceDir = qEnvironmentVariable("FENMAR_TEST_DATA") + "/../../src";
    EXPECT_TRUE(QFile::exists(sourceDir + "/core/localization.h")) << sourceDir.toStdString();
    QSet<QString> keys;
    QDirIterator it(sourceDir, {"*.cpp", "*.h"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            keys.unite(keysUsedIn(QString::fromUtf8(file.readAll())));
    }
    return keys;
}

} // namespace

TEST(Localization, ChineseOnlyForTheLanguageCodeZh)
{
    const QString english = compiledTable("en").value("Contact_SendCanceled").toString();
    const QString chinese = compiledTable("zh").value("Contact_SendCanceled").toString();
    ASSERT_FALSE(english.isEmpty());
    ASSERT_FALSE(chinese.isEmpty());
    ASSERT_NE(english, chinese);

    const QString key = LocalizedStringKey("Contact_SendCanceled").stringKey();
    EXPECT_EQ(key, "Contact_SendCanceled");
    for (const char *name : {"zh_CN", "zh_TW", "zh_Hant_HK", "zh"})
        EXPECT_EQ(localizedString(key, QLocale(name)), chinese) << name;
    for (const char *name : {"ja_JP", "fr_FR", "en_US", "C"})
        EXPECT_EQ(localizedString(key, QLocale(name)), english) << name;
}

TEST(Localization, MissingKeyComesBackUnchanged)
{
    for (const char *name : {"zh_CN", "en_US"}) {
        EXPECT_EQ(localizedString("No_Such_Key", QLocale(name)), "No_Such_Key");
        EXPECT_EQ(localizedString("", QLocale(name)), "");
    }
    EXPECT_EQ(localizedString(LocalizedStringKey(QString("LS_NoHost\",x")).stringKey(), QLocale("en_US")),
              "LS_NoHost\",x");
}

TEST(Localization, TextsAreReturnedVerbatim)
{
    EXPECT_EQ(localizedString("Sys_Update_Succ", QLocale("zh_CN")), "更新成功");
    EXPECT_EQ(localizedString("The path of the sharinhg object", QLocale("en_GB")), "The path of the sharinhg object");
    EXPECT_EQ(localizedString("The path of the sharinhg object", QLocale("zh_CN")), "共享对象的路径");
}

TEST(Localization, BothTablesHoldEveryListedKey)
{
    const QJsonObject english = compiledTable("en");
    const QJsonObject chinese = compiledTable("zh");
    const QStringList keys = listedKeys();
    ASSERT_GT(keys.size(), 50);
    for (const QString &key : keys) {
        EXPECT_FALSE(english.value(key).toString().isEmpty()) << "en lacks " << key.toStdString();
        EXPECT_FALSE(chinese.value(key).toString().isEmpty()) << "zh lacks " << key.toStdString();
    }
    EXPECT_EQ(english.keys(), chinese.keys());
}

TEST(Localization, BothTablesHoldEveryKeyTheCodeLooksUp)
{
    // The scanner itself, on the forms that callers write.
    EXPECT_EQ(keysUsedIn(R"(localizedString(LocalizedStringKey("LS_NoHost").stringKey());
                           localizedString(QStringLiteral("Sys_Update_Succ"), locale);
                           localizedString(u"Sys_Loading"_qs))"),
              QSet<QString>({"LS_NoHost", "Sys_Update_Succ", "Sys_Loading"}));

    const QJsonObject english = compiledTable("en");
    const QJsonObject chinese = compiledTable("zh");
    const QSet<QString> used = keysUsedInSources();
    for (const QString &key : used) {
        EXPECT_TRUE(english.contains(key)) << "en lacks " << key.toStdString();
        EXPECT_TRUE(chinese.contains(key)) << "zh lacks " << key.toStdString();
    }
    // Nothing in the tables that no page uses.
    const QStringList listed = listedKeys();
    for (const QString &key : english.keys())
        EXPECT_TRUE(listed.contains(key) || used.contains(key)) << "unused key " << key.toStdString();
}
