#include "alert_toast.h"
#include "dialog_confirm_setting.h"
#include "dialog_input_setting.h"
#include "main_view_ui.h"
#include "toast_overlay.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

class Toast : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UiTest::useEnglishLook();
        host.resize(640, 480);
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    QLabel *label(const char *name) const { return overlay.findChild<QLabel *>(QString::fromLatin1(name)); }

    QWidget host;
    ToastOverlay overlay{&host, ToastOverlay::kMainWindowDuration};
};

TEST_F(Toast, ThreeLooks)
{
    overlay.present(AlertToast::notice(QStringLiteral("Setting saved.")));
    EXPECT_TRUE(overlay.isVisible());
    EXPECT_EQ(label("toastTitle")->text(), "Setting saved.");
    EXPECT_FALSE(label("toastIcon")->isVisible()) << "a notice is text alone";
    const QRect notice = overlay.geometry();
    EXPECT_NEAR(notice.center().y(), host.rect().center().y(), 2);
    EXPECT_NEAR(notice.center().x(), host.rect().center().x(), 2);

    overlay.present(AlertToast::result(true, QStringLiteral("Done!")));
    EXPECT_TRUE(label("toastIcon")->isVisible());
    const QImage check = label("toastIcon")->pixmap().toImage();
    overlay.present(AlertToast::result(false, QStringLiteral("Path Alread Exists!")));
    const QImage cross = label("toastIcon")->pixmap().toImage();
    EXPECT_NE(check, cross) << "success and failure carry different marks";
    EXPECT_NEAR(overlay.geometry().center().y(), host.rect().center().y(), 2);

    overlay.present(AlertToast::banner(QStringLiteral("input length should >=4")));
    EXPECT_TRUE(label("toastIcon")->isVisible());
    EXPECT_GT(overlay.geometry().top(), host.height() / 2) << "a banner sits at the foot of its host";
    // It pops up from below and comes to rest inside its host.
    QTRY_VERIFY(overlay.geometry().bottom() < host.height());
    QTest::qWait(50);
    EXPECT_LT(overlay.geometry().bottom(), host.height());
    EXPECT_GT(overlay.width(), host.width() / 2);
}

TEST_F(Toast, HidesAfterItsTime)
{
    EXPECT_EQ(ToastOverlay::kMainWindowDuration, std::chrono::milliseconds(880));
    EXPECT_EQ(ToastOverlay::kPanelDuration, std::chrono::milliseconds(1880));
    QSignalSpy showing(&overlay, &ToastOverlay::showingChanged);
    QElapsedTimer clock;
    clock.start();
    overlay.present(AlertToast::notice(QStringLiteral("Hello")));
    ASSERT_TRUE(overlay.isShowing());
    QTRY_VERIFY_WITH_TIMEOUT(!overlay.isShowing(), 3000);
    EXPECT_GE(clock.elapsed(), 850);
    EXPECT_FALSE(overlay.isVisible());
    ASSERT_EQ(showing.count(), 2);
    EXPECT_TRUE(showing.at(0).at(0).toBool());
    EXPECT_FALSE(showing.at(1).at(0).toBool());
}

TEST_F(Toast, AClickDismissesIt)
{
    overlay.present(AlertToast::result(true, QStringLiteral("Done!")));
    QTest::mouseClick(&overlay, Qt::LeftButton, {}, overlay.rect().center());
    EXPECT_FALSE(overlay.isShowing());
    EXPECT_FALSE(overlay.isVisible());
}

TEST_F(Toast, ANewToastReplacesTheOneShowing)
{
    QSignalSpy showing(&overlay, &ToastOverlay::showingChanged);
    overlay.present(AlertToast::notice(QStringLiteral("first")));
    overlay.present(AlertToast::notice(QStringLiteral("second")));
    EXPECT_EQ(label("toastTitle")->text(), "second");
    EXPECT_EQ(overlay.toast(), AlertToast::notice(QStringLiteral("second")));
    EXPECT_EQ(showing.count(), 1);
    EXPECT_EQ(host.findChildren<ToastOverlay *>().size(), 1);
}

TEST_F(Toast, FollowsItsHostsSize)
{
    overlay.present(AlertToast::banner(QStringLiteral("The password should be 4~16 characters/numbers")));
    host.resize(900, 700);
    EXPECT_GT(overlay.geometry().top(), 700 / 2);
    EXPECT_NEAR(overlay.geometry().center().x(), 450, 2);
}

// A main window as pages see it, recording what it is asked to show.
class FakeMainView final : public MainViewUi
{
public:
    void presentToast(const AlertToast &toast) override { toasts.append(toast); }
    CtlViewReceiveFile ctlViewReceiveFile() const override { return {}; }
    void setCtlViewReceiveFile(const CtlViewReceiveFile &) override {}
    DialogConfirmSetting &dialogConfirmSetting() override { return confirm; }
    void showConfirmDialog() override {}
    DialogInput_Setting &dialogInputSetting() override { return input; }
    void showInputDialog() override {}

    QList<AlertToast> toasts;
    DialogConfirmSetting confirm;
    DialogInput_Setting input;
};

TEST(MainViewUiTest, ToastHelpersPickTheirLooks)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    FakeMainView view;
    view.showToast(QStringLiteral("Setting saved."));
    view.showUpdateResult(true);
    view.showUpdateResult(false);
    ASSERT_EQ(view.toasts.size(), 3);
    EXPECT_EQ(view.toasts[0], AlertToast::notice(QStringLiteral("Setting saved.")));
    EXPECT_EQ(view.toasts[1], AlertToast::result(true, QStringLiteral("Updated")));
    EXPECT_EQ(view.toasts[2], AlertToast::result(false, QStringLiteral("Update failed")));
}

TEST(MainViewUiTest, RegistrationEndsWithTheWindow)
{
    EXPECT_EQ(MainViewUi::current(), nullptr);
    auto first = std::make_unique<FakeMainView>();
    MainViewUi::setCurrent(first.get());
    EXPECT_EQ(MainViewUi::current(), first.get());

    {
        FakeMainView other;
        EXPECT_EQ(MainViewUi::current(), first.get()) << "only the registered window clears it";
    }
    EXPECT_EQ(MainViewUi::current(), first.get());
    first.reset();
    EXPECT_EQ(MainViewUi::current(), nullptr);
}

} // namespace
