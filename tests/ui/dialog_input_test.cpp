#include "alert_toast.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "toast_overlay.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

const QString kPasswordMessage = QStringLiteral("The password should be 4~16 characters/numbers");

class InputDialog : public ::testing::Test
{
protected:
    void SetUp() override { UiTest::useEnglishLook(); }

    // The share detail page's access-code question, with an action that records the value.
    void configurePassword(bool allowEmpty = true)
    {
        setting.configure(QStringLiteral("Access code"), QString(), [this] {
            ++accepted;
            acceptedValue = setting.value();
            visibleDuringAction = dialog->isVisible();
        }, 0, 30, DialogInput_Setting_ValidType::dsvPassword, allowEmpty);
    }

    void openDialog(bool canSubmit = true)
    {
        dialog = std::make_unique<DialogInputView>(&setting, canSubmit, &owner);
        owner.resize(700, 500);
        owner.show();
        dialog->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }

    QLineEdit *field() const { return dialog->findChild<QLineEdit *>(QStringLiteral("inputField")); }
    QPushButton *button(const char *name) const { return dialog->findChild<QPushButton *>(QString::fromLatin1(name)); }

    void typeAndPressOK(const QString &text)
    {
        field()->clear();
        setting.setValue(QString());
        QTest::keyClicks(field(), text);
        QTest::mouseClick(button("okButton"), Qt::LeftButton);
    }

    QString refusal(const QString &value) const { return DialogInputView::refusal(setting, value); }

    QWidget owner;
    DialogInput_Setting setting;
    std::unique_ptr<DialogInputView> dialog;
    int accepted = 0;
    QString acceptedValue;
    bool visibleDuringAction = true;
};

TEST_F(InputDialog, ConfigureWritesEverythingButTips)
{
    setting.setTips(QStringLiteral("hint"));
    setting.setLenMin(9);
    QSignalSpy changes(&setting, &DialogInput_Setting::changed);
    bool ran = false;
    setting.configure(QStringLiteral("T"), QStringLiteral("v"), [&] { ran = true; }, 2, 5,
                      DialogInput_Setting_ValidType::dsvEmail, false);
    EXPECT_EQ(changes.count(), 7);
    EXPECT_EQ(setting.title(), "T");
    EXPECT_EQ(setting.value(), "v");
    EXPECT_EQ(setting.lenMin(), 2);
    EXPECT_EQ(setting.lenMax(), 5);
    EXPECT_EQ(setting.validType(), DialogInput_Setting_ValidType::dsvEmail);
    EXPECT_FALSE(setting.isAllowEmpty());
    EXPECT_EQ(setting.tips(), "hint");
    ASSERT_TRUE(setting.okAction());
    setting.okAction()();
    EXPECT_TRUE(ran);

    const DialogInput_Setting fresh;
    EXPECT_EQ(fresh.lenMin(), 0);
    EXPECT_EQ(fresh.lenMax(), 30);
    EXPECT_TRUE(fresh.isAllowEmpty());
    EXPECT_EQ(fresh.validType(), DialogInput_Setting_ValidType::dsvNone);
    EXPECT_FALSE(fresh.okAction());
}

TEST_F(InputDialog, LengthAndPasswordRules)
{
    configurePassword(true);
    EXPECT_EQ(refusal(""), "") << "an allowed empty value needs no other check";
    setting.setLenMin(4);
    EXPECT_EQ(refusal(""), "");

    configurePassword(false);
    EXPECT_EQ(refusal(""), kPasswordMessage);
    EXPECT_EQ(refusal(QString(20, QLatin1Char('a'))), kPasswordMessage);
    EXPECT_EQ(refusal(QString(31, QLatin1Char('a'))), "input length should <=30");
    setting.setLenMin(4);
    EXPECT_EQ(refusal("abc"), "input length should >=4");

    configurePassword(false);
    for (const char *bad : {"ab cd", "ab-cd", "abcé", "abc_", "17171717171717171"})
        EXPECT_EQ(refusal(QString::fromUtf8(bad)), kPasswordMessage) << bad;
    for (const char *good : {"abcd", "AbCd", "1234567890123456"})
        EXPECT_EQ(refusal(QString::fromUtf8(good)), "") << good;
}

TEST_F(InputDialog, LengthsCountUserPerceivedCharactersNotBytesOrCodeUnits)
{
    setting.configure(QStringLiteral("Name"), QString(), nullptr, 2, 3, DialogInput_Setting_ValidType::dsvNone, false);
    // Each of these is one character on screen but several code points or UTF-16 units.
    const QString thumbsUp = QString::fromUtf8("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");          // with skin tone
    const QString family = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");
    const QString eAcute = QStringLiteral("e\u0301");                                        // e + combining accent
    const QString zhong = QStringLiteral("\u4E2D");                                          // 中
    ASSERT_EQ(thumbsUp.size(), 4);
    ASSERT_EQ(family.size(), 8);

    EXPECT_EQ(refusal(thumbsUp), "input length should >=2");
    EXPECT_EQ(refusal(thumbsUp + family), "");
    EXPECT_EQ(refusal(thumbsUp + family + eAcute), "");
    EXPECT_EQ(refusal(thumbsUp + family + eAcute + zhong), "input length should <=3");
    EXPECT_EQ(refusal(eAcute + eAcute), "");
    EXPECT_EQ(refusal(zhong + zhong + zhong), "") << "9 bytes of UTF-8, 3 characters";
    EXPECT_EQ(refusal(zhong + zhong + zhong + zhong), "input length should <=3");
}

TEST_F(InputDialog, RefusedValueShowsBannerToastAndKeepsThePanelOpen)
{
    configurePassword(false);
    openDialog();
    typeAndPressOK(QStringLiteral("ab-cd"));

    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(accepted, 0);
    EXPECT_EQ(setting.value(), "ab-cd") << "the field writes the value on every keystroke";
    EXPECT_EQ(field()->text(), "ab-cd");
    ToastOverlay *toast = dialog->toast();
    ASSERT_TRUE(toast->isShowing());
    EXPECT_EQ(toast->toast(), AlertToast::banner(kPasswordMessage));
    EXPECT_EQ(toast->duration(), std::chrono::milliseconds(1880));
    EXPECT_EQ(toast->findChild<QLabel *>(QStringLiteral("toastTitle"))->text(), kPasswordMessage);

    typeAndPressOK(QString(31, QLatin1Char('x')));
    EXPECT_EQ(toast->toast().title(), "input length should <=30");
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(InputDialog, AcceptClosesThePanelBeforeTheActionRuns)
{
    configurePassword(false);
    openDialog();
    typeAndPressOK(QStringLiteral("Secret42"));

    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(acceptedValue, "Secret42");
    EXPECT_FALSE(visibleDuringAction);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(InputDialog, ReturnSubmitsOnlyWhileOKIsEnabled)
{
    configurePassword(false);
    openDialog(false);
    EXPECT_FALSE(button("okButton")->isEnabled());
    QTest::keyClicks(field(), QStringLiteral("abcd"));
    QTest::keyClick(field(), Qt::Key_Return);
    QTest::keyClick(field(), Qt::Key_Enter);
    EXPECT_EQ(accepted, 0);
    EXPECT_TRUE(dialog->isVisible()) << "neither OK nor a default Cancel may answer Return";
    EXPECT_FALSE(dialog->toast()->isShowing());

    dialog->setIsCanSubmiti(true);
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(acceptedValue, "abcd");
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(InputDialog, CancelAndCloseIconNeverRunTheAction)
{
    configurePassword(false);
    openDialog();
    QTest::keyClicks(field(), QStringLiteral("abcd"));
    QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(setting.value(), "abcd") << "the value keeps what was typed";

    dialog->open();
    EXPECT_EQ(field()->text(), "abcd");
    QTest::mouseClick(dialog->findChild<QToolButton *>(QStringLiteral("closeButton")), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());

    dialog->open();
    QTest::keyClick(field(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(accepted, 0);
}

TEST_F(InputDialog, EachShowingStartsWithoutToastAndWithTheConfiguredTexts)
{
    configurePassword(false);
    openDialog();
    typeAndPressOK(QStringLiteral("x"));
    ASSERT_TRUE(dialog->toast()->isShowing());
    dialog->reject();

    setting.setTips(QStringLiteral("4 to 16 letters or digits"));
    setting.configure(QStringLiteral("LS_AccessCodeSetTitle"), QString(), nullptr, 0, 30,
                      DialogInput_Setting_ValidType::dsvPassword, true);
    dialog->open();
    EXPECT_FALSE(dialog->toast()->isShowing());
    EXPECT_EQ(field()->text(), "");
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("titleLabel"))->text(), "LS_AccessCodeSetTitle")
        << "titles are shown as stored";
    QLabel *tips = dialog->findChild<QLabel *>(QStringLiteral("tipsLabel"));
    EXPECT_TRUE(tips->isVisible());
    EXPECT_EQ(tips->text(), "4 to 16 letters or digits");
    EXPECT_EQ(button("okButton")->text(), "OK");
    EXPECT_EQ(button("cancelButton")->text(), "Cancel");

    setting.setTips(QString());
    EXPECT_FALSE(tips->isVisible());
    // An empty value with isAllowEmpty is accepted at once (clearing a code).
    QTest::mouseClick(button("okButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(InputDialog, ButtonLabelsFollowTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    configurePassword();
    DialogInputView chinese(&setting, true, &owner);
    EXPECT_EQ(chinese.findChild<QPushButton *>(QStringLiteral("okButton"))->text(), QStringLiteral("确定"));
    EXPECT_EQ(chinese.findChild<QPushButton *>(QStringLiteral("cancelButton"))->text(), QStringLiteral("取消"));
}

} // namespace
