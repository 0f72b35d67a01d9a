#include "child_test_run.h"
#include "file_item.h"
#include "file_test_support.h"
#include "lenient_json.h"
#include "test_wait.h"
#include "thumbnails.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTest>
#include <QThread>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <thread>

namespace {

QString testData(const char *name)
{
    return qEnvironmentVariable("FENMAR_TEST_DATA") + u'/' + QLatin1String(name);
}

QString writeImage(const TestFolder &folder, const QString &name, QSize size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    // A gradient, so that the picture has content worth encoding.
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    const QString path = folder.pathOf(name);
    EXPECT_TRUE(image.save(path, format));
    return path;
}

// The picture that a data URL of the answer holds, checked to be PNG.
QImage decodeIcon(const QString &iconBase64)
{
    const QString prefix = QString::fromLatin1(iconDataUrlPrefix);
    EXPECT_TRUE(iconBase64.startsWith(prefix));
    const QByteArray png = QByteArray::fromBase64(iconBase64.mid(prefix.size()).toLatin1());
    EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n")) << "the icon is PNG";
    QImage image;
    EXPECT_TRUE(image.loadFromData(png, "PNG"));
    return image;
}

// Runs one batch and waits for its answer; counts every call of the completion.
class Batch final
{
public:
    explicit Batch(const QString &fileList)
    {
        FileItem::dynaReloadIcons(fileList, &m_context, [this](const QString &answer) {
            EXPECT_EQ(QThread::currentThread(), m_context.thread()) << "answered on the asker's thread";
            ++m_calls;
            m_answer = answer;
        });
        EXPECT_TRUE(QTest::qWaitFor([this] { return m_calls > 0; }, 20'000));
        // Anything late would arrive now.
        QThreadPool::globalInstance()->waitForDone();
        EXPECT_TRUE(waitForPostedEvents());
    }

    int calls() const { return m_calls; }
    QString answer() const { return m_answer; }
    LenientJson json() const { return LenientJson::parse(m_answer); }

    LenientJson recordWithIndex(qint64 index) const
    {
        const LenientJson list = json();
        for (qsizetype i = 0; i < list.count(); ++i) {
            if (list[i]["index"].int64Value() == index)
                return list[i];
        }
        ADD_FAILURE() << "no record with index " << index;
        return {};
    }

private:
    QObject m_context;
    int m_calls = 0;
    QString m_answer;
};

QString listOf(const QStringList &entries)
{
    QString text = QStringLiteral("[");
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (i > 0)
            text += u',';
        text += u'"' + entries[i] + u'"';
    }
    return text + u']';
}

} // namespace

// Run again with the screen at twice the density, the case expects icons twice as large.
constexpr char doubleDensity[] = "QT_SCALE_FACTOR";

TEST(ThumbnailBatch, PngJpegAndVideoDecodeBackAsPngOfTheRightSize)
{
    // 80 points: 80 pixels on the offscreen platform's screen, 160 at twice its density.
    const int onScreen = qEnvironmentVariable(doubleDensity) == u"2" ? 2 : 1;
    TestFolder folder;
    const QString png = writeImage(folder, "wide.png", {400, 300}, "PNG");
    const QString jpeg = writeImage(folder, "tall.jpg", {300, 400}, "JPEG");
    const QString small = writeImage(folder, "small.png", {50, 40}, "PNG");
    const QString video = testData("clip_320x180.mp4");

    const Batch batch(listOf({png + "|7|1|-1", jpeg + "|8|1|-1", small + "|9|1|-1", video + "|10|1|-1"}));
    EXPECT_EQ(batch.calls(), 1);
    ASSERT_EQ(batch.json().count(), 4);

    const LenientJson first = batch.recordWithIndex(7);
    EXPECT_EQ(first["fullPath"].stringValue(), png);
    EXPECT_EQ(first["size"].int64Value(), QFileInfo(png).size());
    EXPECT_EQ(first["extendInfo"].stringValue(), "");
    for (const char *flag : {"isDir", "isHasSubDir", "isHasSubFile"}) {
        EXPECT_TRUE(first[flag].isBool()) << flag;
        EXPECT_FALSE(first[flag].boolValue()) << flag;
    }
    EXPECT_EQ(first["createdTime"].int64Value(), 0);
    EXPECT_EQ(first["modifiedTime"].int64Value(), 0);
    EXPECT_EQ(first.keys().size(), 10);

    EXPECT_EQ(decodeIcon(first["iconBase64"].stringValue()).size(), QSize(80, 60) * onScreen)
        << "80 points at the screen's scale, proportions kept";
    EXPECT_EQ(decodeIcon(batch.recordWithIndex(8)["iconBase64"].stringValue()).size(), QSize(60, 80) * onScreen);
    EXPECT_EQ(decodeIcon(batch.recordWithIndex(9)["iconBase64"].stringValue()).size(), QSize(50, 40))
        << "a small picture is not enlarged";
    EXPECT_EQ(decodeIcon(batch.recordWithIndex(10)["iconBase64"].stringValue()).size(), QSize(80, 45) * onScreen)
        << "a frame of the video";

    if (onScreen == 1)
        ChildTestRun::expectPassed(ChildTestRun::run({QStringLiteral("env")}, {{doubleDensity, QStringLiteral("2")}}),
                                   "on a screen of twice the density");
}

TEST(ThumbnailBatch, AFileThatCannotBeDecodedGetsThePrefixAlone)
{
    TestFolder folder;
    const QString broken = folder.file("broken.png", "this is no picture");
    const QString fakeVideo = folder.file("fake.mp4", QByteArray(2048, 'v'));
    const QString text = folder.file("notes.txt", "hello");

    const Batch batch(listOf({broken + "|1", fakeVideo + "|2", text + "|3"}));
    EXPECT_EQ(batch.calls(), 1);
    ASSERT_EQ(batch.json().count(), 3);
    for (qint64 index : {1, 2, 3}) {
        const LenientJson record = batch.recordWithIndex(index);
        EXPECT_EQ(record["iconBase64"].stringValue(), QString::fromLatin1(iconDataUrlPrefix));
        EXPECT_GT(record["size"].int64Value(), 0) << "the file still gets its record";
    }
    EXPECT_TRUE(makeFileThumbnail(broken, 80, 80, 1).isNull());
    EXPECT_TRUE(pngData(QImage()).isEmpty());
}

TEST(ThumbnailBatch, SkippedEntriesGetNoRecordButTheBatchIsAnswered)
{
    TestFolder folder;
    const QString picture = writeImage(folder, "p.png", {20, 20}, "PNG");
    const QString sub = folder.folder("sub");

    const Batch mixed(listOf({folder.pathOf("missing.png") + "|1", sub + "|2", picture, picture + "|", picture + "|x",
                              picture + "|3.5", picture + "|+4|extra|pieces"}));
    EXPECT_EQ(mixed.calls(), 1);
    ASSERT_EQ(mixed.json().count(), 1);
    EXPECT_EQ(mixed.json()[0]["index"].int64Value(), 4);
    EXPECT_EQ(mixed.json()[0]["fullPath"].stringValue(), picture);

    const Batch negative(listOf({picture + "|-12"}));
    EXPECT_EQ(negative.json()[0]["index"].int64Value(), -12);

    for (const QString &list : {listOf({folder.pathOf("missing.png") + "|1", sub + "|2", picture}),
                                QStringLiteral("[]"), QStringLiteral("[1, true, null, {}]"),
                                QStringLiteral("{\"a\": 1}"), QStringLiteral("not json ["), QString()}) {
        const Batch batch(list);
        EXPECT_EQ(batch.calls(), 1) << list.toStdString();
        EXPECT_EQ(batch.answer(), "[]") << list.toStdString();
    }
}

TEST(ThumbnailBatch, ManyFilesOneAnswerWithEveryIndex)
{
    TestFolder folder;
    QStringList entries;
    for (int i = 0; i < 24; ++i)
        entries.append(writeImage(folder, QStringLiteral("img%1.png").arg(i), {40 + i, 20}, "PNG") + u'|'
                       + QString::number(100 + i));
    const Batch batch(listOf(entries));
    EXPECT_EQ(batch.calls(), 1);
    ASSERT_EQ(batch.json().count(), 24);
    for (int i = 0; i < 24; ++i)
        EXPECT_EQ(decodeIcon(batch.recordWithIndex(100 + i)["iconBase64"].stringValue()).width(), 40 + i);
}

TEST(ThumbnailBatch, NoAnswerOnceTheAskerIsGone)
{
    TestFolder folder;
    const QString picture = writeImage(folder, "p.png", {20, 20}, "PNG");
    auto calls = std::make_shared<int>(0);
    {
        QObject context;
        FileItem::dynaReloadIcons(listOf({picture + "|1"}), &context, [calls](const QString &) { ++*calls; });
    }
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_TRUE(waitForPostedEvents());
    EXPECT_EQ(*calls, 0);

    // Without a context the answer comes on a worker.
    std::atomic<int> direct{0};
    FileItem::dynaReloadIcons(listOf({picture + "|1"}), nullptr, [&](const QString &answer) {
        EXPECT_NE(QThread::currentThread(), QCoreApplication::instance()->thread());
        EXPECT_TRUE(answer.startsWith("[{"));
        ++direct;
    });
    QThreadPool::globalInstance()->waitForDone();
    EXPECT_EQ(direct.load(), 1);

    // Started on a worker, as peer requests are, it still answers once.
    std::atomic<int> fromWorker{0};
    std::thread([&] {
        FileItem::dynaReloadIcons(listOf({picture + "|2"}), nullptr, [&](const QString &) { ++fromWorker; });
    }).join();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fromWorker.load() == 1; }, 20'000));
}

TEST(Thumbnails, ScaledWhileDecodingAndOrientedAsShown)
{
    TestFolder folder;
    const QString jpeg = writeImage(folder, "big.jpg", {4000, 3000}, "JPEG");
    EXPECT_EQ(makeFileThumbnail(jpeg, 80, 80, 2).size(), QSize(160, 120));
    EXPECT_EQ(makeFileThumbnail(jpeg, 40, 80, 2).size(), QSize(80, 60));
    EXPECT_EQ(makeFileThumbnail(jpeg, 80, 80, 1).size(), QSize(80, 60));

    // A PNG under another extension is still read by its content.
    const QString disguised = writeImage(folder, "picture.jpg.tmp", {100, 200}, "PNG");
    EXPECT_EQ(makeFileThumbnail(disguised, 80, 80, 2).size(), QSize(80, 160));
    EXPECT_TRUE(makeFileThumbnail(folder.pathOf("missing.png"), 80, 80, 2).isNull());
    EXPECT_TRUE(makeFileThumbnail(QString(), 80, 80, 2).isNull());

    // A photo stored lying down and marked to be turned is shown, and thumbnailed, standing up.
    QImage lying(400, 200, QImage::Format_RGB32);
    lying.fill(Qt::darkGreen);
    const QString turned = folder.pathOf("turned.jpg");
    QImageWriter writer(turned, "jpeg");
    writer.setTransformation(QImageIOHandler::TransformationRotate90);
    ASSERT_TRUE(writer.write(lying));
    EXPECT_EQ(makeFileThumbnail(turned, 80, 80, 2).size(), QSize(80, 160));
}
