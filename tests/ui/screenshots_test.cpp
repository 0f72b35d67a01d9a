#include "alert_toast.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "theme.h"
#include "toast_overlay.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSet>
#include <QTest>

// Pictures of the shared widgets for a person to look at; each check only makes sure the
// picture was written and is not blank.
namespace {

void expectPicture(const QString &path, const QSize &minimum)
{
    ASSERT_FALSE(path.isEmpty());
    const QImage image(path);
    ASSERT_FALSE(image.isNull()) << path.toStdString();
    EXPECT_GE(image.width(), minimum.width());
    EXPECT_GE(image.height(), minimum.height());
    // Something is drawn: more than a background and a frame.
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 8) << path.toStdString();
}

// A stand-in page for the toasts to float over.
class SamplePage final : public QWidget
{
public:
    SamplePage()
    {
        resize(640, 400);
        auto *layout = new QHBoxLayout(this);
        auto *text = new QLabel(QStringLiteral("Local shares"), this);
        text->setFont(Theme::font(24));
        layout->addWidget(text, 0, Qt::AlignTop | Qt::AlignLeft);
    }
};

class Screenshots : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UiTest::useEnglishLook();
        owner.resize(700, 500);
        owner.show();
    }

    template <class Dialog>
    QString shoot(Dialog &dialog, const QString &name)
    {
        dialog.open();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QTest::qWait(50);
        return UiTest::saveScreenshot(dialog, name);
    }

    QWidget owner;
};

TEST_F(Screenshots, ConfirmDialog)
{
    DialogConfirmSetting setting;
    setting.setTitle(QStringLiteral("Remove share"));
    setting.setInfo(QStringLiteral("Remove the share \"Holiday photos\" from this computer's shares?"));
    DialogConfirmView dialog(&setting, &owner);
    expectPicture(shoot(dialog, QStringLiteral("dialog_confirm")), QSize(480, 160));

    setting.setTitle(QStringLiteral("Login"));
    setting.setInfo(QStringLiteral("Login Timeout!"));
    setting.setIsBtnCancel(false);
    dialog.reject();
    expectPicture(shoot(dialog, QStringLiteral("dialog_confirm_ok_only")), QSize(480, 160));
}

TEST_F(Screenshots, InputDialog)
{
    DialogInput_Setting setting;
    setting.configure(QStringLiteral("Set the access code"), QString(), nullptr, 0, 30,
                      DialogInput_Setting_ValidType::dsvPassword, true);
    DialogInputView dialog(&setting, true, &owner);
    dialog.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    QTest::keyClicks(dialog.findChild<QLineEdit *>(QStringLiteral("inputField")), QStringLiteral("ab-12"));
    expectPicture(UiTest::saveScreenshot(dialog, QStringLiteral("dialog_input")), QSize(480, 160));

    dialog.onOK();
    QTest::qWait(250);
    expectPicture(UiTest::saveScreenshot(dialog, QStringLiteral("dialog_input_refused")), QSize(480, 160));
}

TEST_F(Screenshots, InputDialogInChinese)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    DialogInput_Setting setting;
    setting.setTips(QStringLiteral("留空表示不设访问码"));
    setting.configure(QStringLiteral("设置访问码"), QStringLiteral("中文"), nullptr, 0, 30,
                      DialogInput_Setting_ValidType::dsvPassword, true);
    DialogInputView dialog(&setting, true, &owner);
    expectPicture(shoot(dialog, QStringLiteral("dialog_input_zh")), QSize(480, 160));
}

TEST_F(Screenshots, LoadingDialog)
{
    DialogLoadingSetting setting(QStringLiteral("Logging in..."));
    DialogLoadingSheet sheet(&setting, &owner);
    sheet.open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    QTest::qWait(450);
    expectPicture(UiTest::saveScreenshot(sheet, QStringLiteral("dialog_loading")), QSize(300, 80));
}

TEST_F(Screenshots, ThreeToastLooks)
{
    SamplePage page;
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    ToastOverlay overlay(&page, std::chrono::seconds(10));
    const QList<QPair<QString, AlertToast>> looks = {
        {QStringLiteral("toast_notice"), AlertToast::notice(QStringLiteral("Setting saved."))},
        {QStringLiteral("toast_result_success"), AlertToast::result(true, QStringLiteral("Done!"))},
        {QStringLiteral("toast_result_failure"), AlertToast::result(false, QStringLiteral("Path Alread Exists!"))},
        {QStringLiteral("toast_banner"), AlertToast::banner(QStringLiteral("The password should be 4~16 characters/numbers"))},
    };
    for (const auto &[name, toast] : looks) {
        overlay.present(toast);
        QTest::qWait(250);
        expectPicture(UiTest::saveScreenshot(page, name), QSize(640, 400));
    }
}

TEST_F(Screenshots, Symbols)
{
    // Every bundled symbol in the interface's colours, on a sheet of its own.
    QWidget sheet;
    auto *layout = new QHBoxLayout(&sheet);
    const QStringList names = Theme::symbolNames();
    const QStringList tints = {"ColorMain0", "navDisabled", "btnRed", "activeButton", "yellow", "green"};
    for (int i = 0; i < names.size(); ++i) {
        auto *label = new QLabel(&sheet);
        label->setPixmap(Theme::symbolPixmap(names[i], QSize(32, 32), Theme::color(tints[i % tints.size()]), 1.0));
        label->setToolTip(names[i]);
        layout->addWidget(label);
    }
    auto *logo = new QLabel(&sheet);
    logo->setPixmap(Theme::logo(60));
    layout->addWidget(logo);
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    expectPicture(UiTest::saveScreenshot(sheet, QStringLiteral("symbols")), QSize(32 * names.size(), 32));
}

} // namespace
