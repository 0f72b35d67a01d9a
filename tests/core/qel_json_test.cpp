#include "lenient_json.h"
#include "qel_json.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <cstdlib>
#include <ctime>

using QelJSON::Json;

namespace {

struct WorkingItem {
    qint64 size = 0;
    bool isDir = false;
    QString path;
    QEL_JSON_FIELDS(WorkingItem, size, isDir, path)
};

struct Envelope {
    QString VType = QStringLiteral("WinContrlSet->");
    quint32 counter = 4000000000u;
    float ratio = 0.5f;
    std::optional<QString> maybe;
    std::vector<WorkingItem> FileList;
    std::vector<QString> fileList;
    QelJSON::QelValue Data;
    QString notWritten = QStringLiteral("secret");
    QEL_JSON_FIELDS(Envelope, VType, counter, ratio, maybe, FileList, fileList, Data)
};

} // namespace

TEST(QelJSON, RecordKeysAreFieldNamesAndKindsConvert)
{
    Envelope envelope;
    const Json object = QelJSON::toJSONObject(envelope);
    ASSERT_TRUE(object.is_object());
    EXPECT_EQ(object.at("VType"), "WinContrlSet->");
    EXPECT_TRUE(object.at("counter").is_number_unsigned());
    EXPECT_EQ(object.at("counter").get<quint64>(), 4000000000u);
    EXPECT_DOUBLE_EQ(object.at("ratio").get<double>(), 0.5);
    EXPECT_TRUE(object.at("maybe").is_null()) << "an empty optional is written as null";
    EXPECT_EQ(object.at("FileList"), Json::array());
    EXPECT_FALSE(object.contains("Data")) << "an empty any-value field is left out";
    EXPECT_FALSE(object.contains("notWritten"));
    EXPECT_EQ(object.size(), 6u);

    envelope.maybe = QStringLiteral("x");
    envelope.FileList = {{12, false, QStringLiteral("/a")}, {0, true, QStringLiteral("/b")}};
    envelope.fileList = {QStringLiteral("one"), QStringLiteral("two")};
    envelope.Data = WorkingItem{7, true, QStringLiteral("C:\\x")};
    const Json filled = QelJSON::toJSONObject(envelope);
    EXPECT_EQ(filled.at("maybe"), "x");
    EXPECT_EQ(filled.at("FileList").size(), 2u);
    EXPECT_EQ(filled.at("FileList")[1].at("isDir"), true) << "booleans stay booleans, never 1 or 0";
    EXPECT_EQ(filled.at("fileList"), Json::parse(R"(["one","two"])"));
    EXPECT_EQ(filled.at("Data").at("path"), "C:\\x") << "an any-value field converts by what it holds";
}

TEST(QelJSON, TextIsCompactAndAlwaysValidUtf8)
{
    WorkingItem item{1, false, QStringLiteral("a \"quoted\" name")};
    const QString text = QelJSON::toJSONString(item);
    EXPECT_FALSE(text.contains(u' ' + QStringLiteral("\"size\"")));
    EXPECT_FALSE(text.contains(u'\n'));
    EXPECT_EQ(LenientJson::parse(text)["path"].stringValue(), item.path);

    // A lone surrogate cannot be written as UTF-8; it must be replaced, not thrown on.
    item.path = QString(QChar(0xD800)) + QStringLiteral("x");
    const QString replaced = QelJSON::toJSONString(item);
    EXPECT_FALSE(replaced.isEmpty());
    EXPECT_TRUE(LenientJson::parse(replaced)["path"].stringValue().endsWith(u'x'));

    EXPECT_EQ(QelJSON::toJSONString(std::nan("")), "null");
}

TEST(QelJSON, DatesAreLocalTimeWithOffset)
{
    // Each test runs in its own process, so changing the zone here touches no other test.
    setenv("TZ", "XYZ-1", 1);
    tzset();
    const QDateTime utc(QDate(2024, 1, 31), QTime(13, 5, 9), QTimeZone::utc());
    EXPECT_EQ(QelJSON::formatDate(utc), "2024-01-31T14:05:09+0100");

    setenv("TZ", "XYZ+5:30", 1);
    tzset();
    EXPECT_EQ(QelJSON::formatDate(utc), "2024-01-31T07:35:09-0530");
}

TEST(QelJSON, StringMapsConvertToObjects)
{
    QMap<QString, int> counts{{QStringLiteral("a"), 1}, {QStringLiteral("b"), 2}};
    EXPECT_EQ(QelJSON::toJSONObject(counts), Json::parse(R"({"a":1,"b":2})"));
    EXPECT_EQ(QelJSON::toJSONObject(std::map<QString, bool>{}), Json::object());
}

TEST(LenientJson, TextReadsOfEveryKind)
{
    const auto j = LenientJson::parse(QByteArray(R"({"s":"x","i":42,"neg":-3,"f":1.5,"t":true,"n":null,"a":[1],"o":{}})"));
    ASSERT_FALSE(j.parseFailed());
    EXPECT_EQ(j["s"].stringValue(), "x");
    EXPECT_EQ(j["i"].stringValue(), "42");
    EXPECT_EQ(j["neg"].stringValue(), "-3");
    EXPECT_EQ(j["f"].stringValue(), "1.5");
    EXPECT_EQ(j["t"].stringValue(), "true");
    EXPECT_EQ(j["n"].stringValue(), "");
    EXPECT_EQ(j["a"].stringValue(), "") << "an array read as text is empty";
    EXPECT_EQ(j["o"].stringValue(), "");
    EXPECT_EQ(j["missing"].stringValue(), "");
    EXPECT_EQ(j["s"]["deeper"][3].stringValue(), "") << "lookups through a non-object stay absent";
}

TEST(LenientJson, NumberReadsOfEveryKind)
{
    const auto j = LenientJson::parse(QByteArray(
        R"({"i":42,"f":-7.9,"text":"12","textf":"3.7","junk":"abc","prefix":"15kb","t":true,"fl":false,"n":null,"a":[5],"huge":1e300,"u":18446744073709551615})"));
    EXPECT_EQ(j["i"].intValue(), 42);
    EXPECT_EQ(j["f"].intValue(), -7) << "a number's integer part";
    EXPECT_EQ(j["text"].intValue(), 12);
    EXPECT_EQ(j["textf"].intValue(), 3);
    EXPECT_EQ(j["junk"].intValue(), 0);
    EXPECT_EQ(j["prefix"].intValue(), 15);
    EXPECT_EQ(j["t"].intValue(), 1);
    EXPECT_EQ(j["fl"].intValue(), 0);
    EXPECT_EQ(j["n"].intValue(), 0);
    EXPECT_EQ(j["a"].intValue(), 0);
    EXPECT_EQ(j["missing"].intValue(), 0);
    EXPECT_EQ(j["huge"].int64Value(), std::numeric_limits<qint64>::max()) << "clamped, not undefined";
    EXPECT_EQ(j["huge"].intValue(), std::numeric_limits<int>::max());
    EXPECT_EQ(j["u"].int64Value(), std::numeric_limits<qint64>::max());
    EXPECT_DOUBLE_EQ(j["textf"].doubleValue(), 3.7);
}

TEST(LenientJson, BoolReads)
{
    const auto j = LenientJson::parse(QByteArray(R"({"t":true,"f":false,"one":1,"zero":0,"yes":"yes","no":"no","s1":"1"})"));
    EXPECT_TRUE(j["t"].boolValue());
    EXPECT_FALSE(j["f"].boolValue());
    EXPECT_TRUE(j["one"].boolValue());
    EXPECT_FALSE(j["zero"].boolValue());
    EXPECT_TRUE(j["yes"].boolValue());
    EXPECT_FALSE(j["no"].boolValue());
    EXPECT_TRUE(j["s1"].boolValue());
    EXPECT_FALSE(j["missing"].boolValue());
}

TEST(LenientJson, ArraysObjectsAndRawText)
{
    const auto j = LenientJson::parse(QStringLiteral(R"({"list":["a","b"],"obj":{"k":1}})"));
    EXPECT_EQ(j["list"].count(), 2);
    EXPECT_EQ(j["list"][1].stringValue(), "b");
    EXPECT_FALSE(j["list"][2].exists());
    EXPECT_FALSE(j["list"][-1].exists());
    EXPECT_EQ(j["obj"].keys(), QStringList{"k"});
    EXPECT_EQ(j["obj"].rawString(), R"({"k":1})");
    EXPECT_EQ(j["missing"].rawString(), "");
    EXPECT_EQ(j["list"].json(), Json::parse(R"(["a","b"])"));
    EXPECT_EQ(j["missing"].count(), 0);
}

TEST(LenientJson, BadInputNeverThrows)
{
    EXPECT_TRUE(LenientJson::parse(QByteArray("not json")).parseFailed());
    EXPECT_TRUE(LenientJson::parse(QByteArray("")).parseFailed());
    EXPECT_TRUE(LenientJson::parse(QByteArray("{\"a\":")).parseFailed());
    EXPECT_FALSE(LenientJson::parse(QByteArray("not json")).exists());
    EXPECT_EQ(LenientJson::parse(QByteArray("[1,2]"))["a"].stringValue(), "");

    // Deep nesting is refused as not JSON rather than recursed into.
    EXPECT_TRUE(LenientJson::parse(QByteArray(100000, '[')).parseFailed());

    // Bytes that are not UTF-8 are replaced, and the rest of the message still reads.
    QByteArray bad = "{\"name\":\"a\xff\xfe" "b\",\"n\":3}";
    const auto repaired = LenientJson::parse(bad);
    ASSERT_FALSE(repaired.parseFailed());
    EXPECT_EQ(repaired["n"].intValue(), 3);
    EXPECT_TRUE(repaired["name"].stringValue().startsWith(u'a'));
    EXPECT_TRUE(repaired["name"].stringValue().endsWith(u'b'));

    // A large string member is read whole.
    const QByteArray big = "{\"s\":\"" + QByteArray(1 << 20, 'x') + "\"}";
    EXPECT_EQ(LenientJson::parse(big)["s"].stringValue().size(), 1 << 20);
}
