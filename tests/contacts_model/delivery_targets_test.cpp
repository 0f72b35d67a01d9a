// What an offer says about the chosen items, where they are sent from, and how progress reads.

#include "contacts_test_support.h"
#include "delivery_targets.h"
#include "lenient_json.h"
#include "transfer_progress.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

class DeliveryTexts : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
};

} // namespace

TEST_F(DeliveryTexts, SummaryNamesTheItemsAndCountsThem)
{
    EXPECT_EQ(DeliveryTargets::summary({QStringLiteral("/home/u/report.pdf")}), QStringLiteral("report.pdf"));
    EXPECT_EQ(DeliveryTargets::summary({QStringLiteral("/home/u/photos/")}), QStringLiteral("photos"));
    EXPECT_EQ(DeliveryTargets::summary({QStringLiteral("/a/x.txt"), QStringLiteral("/a/photos")}),
              QStringLiteral("2 items: x.txt, photos"));
    EXPECT_EQ(DeliveryTargets::summary({"/a/1", "/a/2", "/a/3", "/a/4", "/a/5", "/a/6"}),
              QStringLiteral("6 items: 1, 2, 3, 4, …"));
}

TEST_F(DeliveryTexts, ItemsOfOneFolderAreSentFromThatFolder)
{
    EXPECT_EQ(DeliveryTargets::localRoot({QStringLiteral("/home/u/a.txt"), QStringLiteral("/home/u/pics/")}),
              QStringLiteral("/home/u"));
    EXPECT_EQ(DeliveryTargets::localRoot({QStringLiteral("/a.txt")}), QStringLiteral("/"));
    EXPECT_EQ(DeliveryTargets::localRoot({QStringLiteral("/home/u/a.txt"), QStringLiteral("/tmp/b.txt")}), QString());
}

TEST_F(DeliveryTexts, ProgressReadsTheBridgesStatusLeniently)
{
    const TransferProgress running = TransferProgress::fromStatus(LenientJson::parse(QStringLiteral(
        R"({"TaskStatus":2,"TotalTaskCount":4,"TotalTaskDoneCount":1,"CurrentTaskFile":"/s/b.bin",)"
        R"("TotalSize":3145728,"TotalDoneSize":1572864,"IProgress":50.0,"Log":"Copying b.bin"})")));
    EXPECT_TRUE(running.isActive());
    EXPECT_FALSE(running.hasEnded());
    EXPECT_DOUBLE_EQ(running.percent, 50.0);
    EXPECT_EQ(running.describe(), QStringLiteral("1 of 4 files · 1.50 MB of 3.00 MB"));

    const TransferProgress finished =
        TransferProgress::fromStatus(LenientJson::parse(QStringLiteral(R"({"TaskStatus":3,"IProgress":99.9})")));
    EXPECT_TRUE(finished.isFinished);
    EXPECT_DOUBLE_EQ(finished.percent, 100.0);

    const TransferProgress odd = TransferProgress::fromStatus(LenientJson::parse(
        QStringLiteral(R"({"IProgress":"1e999","TotalTaskCount":-3,"TotalTaskDoneCount":9,"ForceCancel":true})")));
    EXPECT_TRUE(odd.isCanceled);
    EXPECT_GE(odd.percent, 0.0);
    EXPECT_LE(odd.percent, 100.0);
    EXPECT_EQ(odd.totalCount, 0);

    const TransferProgress failed = TransferProgress::fromStatus(
        LenientJson::parse(QStringLiteral(R"({"TaskStatus":4,"ErrorInfo":"Disk full"})")));
    EXPECT_TRUE(failed.isFailed);
    EXPECT_EQ(failed.error, QStringLiteral("Disk full"));
    EXPECT_TRUE(TransferProgress::fromStatus(LenientJson()).describe().isEmpty());
}
