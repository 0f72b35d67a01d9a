#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

class LoadingDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UiTest::useEnglishLook();
        page.resize(500, 300);
        page.show();
    }

    QLabel *titleLine(QWidget &w) const { return w.findChild<QLabel *>(QStringLiteral("loadingTitle")); }

    QWidget page;
    DialogLoadingSetting setting;
};

TEST_F(LoadingDialog, Defaults)
{
    EXPECT_EQ(setting.title(), "Loading...");
    EXPECT_EQ(setting.maxWaiting(), 8);
    EXPECT_FALSE(setting.actionTimeout());
    const DialogLoadingSetting titled(QStringLiteral("Initialing, Pleae wait..."));
    EXPECT_EQ(titled.title(), "Initialing, Pleae wait...");
    EXPECT_EQ(titled.maxWaiting(), 8);
}

TEST_F(LoadingDialog, ClosesItselfAtTheNinthTickWithTheDefaultLimit)
{
    DialogLoading loading(&setting, &page);
    int timeoutActions = 0;
    setting.setActionTimeout([&] { ++timeoutActions; });
    QSignalSpy limit(&loading, &DialogLoading::limitReached);
    loading.show();
    ASSERT_TRUE(loading.isCounting());
    for (int tick = 1; tick <= 8; ++tick)
        loading.onTimerTick();
    EXPECT_TRUE(loading.isVisible());
    EXPECT_TRUE(loading.isCounting());
    EXPECT_EQ(limit.count(), 0);

    loading.onTimerTick();
    EXPECT_FALSE(loading.isVisible());
    EXPECT_FALSE(loading.isCounting());
    EXPECT_EQ(limit.count(), 1);
    EXPECT_EQ(timeoutActions, 1);
}

TEST_F(LoadingDialog, ZeroLimitClosesAtTheFirstRealTick)
{
    setting.setMaxWaiting(0);
    DialogLoading loading(&setting, &page);
    QSignalSpy limit(&loading, &DialogLoading::limitReached);
    loading.show();
    EXPECT_TRUE(loading.isVisible());
    // The one-second timer itself, not a hand-made tick.
    EXPECT_TRUE(limit.wait(2500));
    EXPECT_FALSE(loading.isVisible());
    EXPECT_EQ(loading.timerCounter(), 1);
}

TEST_F(LoadingDialog, AnIndicatorThatMustStayOnlyStopsCounting)
{
    setting.setMaxWaiting(1);
    DialogLoading loading(&setting, &page);
    loading.setHidesAtLimit(false);
    loading.show();
    loading.onTimerTick();
    loading.onTimerTick();
    EXPECT_TRUE(loading.isVisible());
    EXPECT_FALSE(loading.isCounting());
}

TEST_F(LoadingDialog, HidingByTheOwnerStopsTheCountAndShowingStartsAnew)
{
    DialogLoading loading(&setting, &page);
    loading.show();
    loading.onTimerTick();
    loading.onTimerTick();
    EXPECT_EQ(loading.timerCounter(), 2);
    loading.hide();
    EXPECT_FALSE(loading.isCounting());
    loading.show();
    EXPECT_EQ(loading.timerCounter(), 0);
    EXPECT_TRUE(loading.isCounting());
}

TEST_F(LoadingDialog, TitleLineFollowsTheSetting)
{
    DialogLoading loading(&setting, &page);
    loading.show();
    EXPECT_TRUE(titleLine(loading)->isVisible());
    EXPECT_EQ(titleLine(loading)->text(), "Loading...");

    setting.setTitle(QStringLiteral("Logging in..."));
    EXPECT_EQ(titleLine(loading)->text(), "Logging in...");
    setting.setTitle(QString());
    EXPECT_FALSE(titleLine(loading)->isVisible()) << "an empty title shows the dots alone";
    EXPECT_TRUE(loading.findChild<QWidget *>(QStringLiteral("loadingDots"))->isVisible());
    EXPECT_GE(loading.width(), 300);
    EXPECT_GE(loading.height(), 80);
}

TEST_F(LoadingDialog, SheetClosesItselfAtTheLimit)
{
    setting.setMaxWaiting(2);
    DialogLoadingSheet sheet(&setting, &page);
    sheet.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    ASSERT_TRUE(sheet.loading()->isCounting());
    for (int tick = 0; tick < 3; ++tick)
        sheet.loading()->onTimerTick();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Rejected);

    sheet.open();
    EXPECT_EQ(sheet.loading()->timerCounter(), 0) << "a new showing counts afresh";
    EXPECT_TRUE(sheet.loading()->isCounting());
}

TEST_F(LoadingDialog, DotsPulseOneAfterAnother)
{
    EXPECT_DOUBLE_EQ(DialogLoading::dotScale(0, 0), 0.5);
    EXPECT_DOUBLE_EQ(DialogLoading::dotScale(0, 500), 1.0);
    EXPECT_DOUBLE_EQ(DialogLoading::dotScale(0, 1000), 0.5);
    EXPECT_DOUBLE_EQ(DialogLoading::dotScale(0, 1500), 1.0);
    // Each dot starts 0.2 s after the one before it.
    EXPECT_DOUBLE_EQ(DialogLoading::dotScale(3, 600), 0.5);
    EXPECT_DOUBLE_EQ(DialogLoading::dotScale(3, 1100), 1.0);
    EXPECT_GT(DialogLoading::dotScale(0, 250), 0.5);
    EXPECT_LT(DialogLoading::dotScale(0, 250), 1.0);
}

} // namespace
