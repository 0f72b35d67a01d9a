#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "ui_test_support.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

namespace {

class ConfirmDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UiTest::useEnglishLook();
        owner.resize(700, 500);
        owner.show();
        dialog = new DialogConfirmView(&setting, &owner);
    }

    void openDialog()
    {
        dialog->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.data()));
    }

    QPushButton *button(const char *name) const { return dialog->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QToolButton *closeIcon() const { return dialog->findChild<QToolButton *>(QStringLiteral("closeButton")); }

    QWidget owner;
    DialogConfirmSetting setting;
    QPointer<DialogConfirmView> dialog;
    QStringList ran;
};

TEST_F(ConfirmDialog, DefaultsAndTextsShownAsStored)
{
    const DialogConfirmSetting fresh;
    EXPECT_EQ(fresh.title(), "Confirm");
    EXPECT_EQ(fresh.info(), "Are you sure?");
    EXPECT_TRUE(fresh.isBtnOK());
    EXPECT_TRUE(fresh.isBtnCancel());
    EXPECT_FALSE(fresh.okAction());
    EXPECT_FALSE(fresh.cancelAction());

    setting.setTitle(QStringLiteral("Sys_Update_Succ"));
    setting.setInfo(QStringLiteral("Remove the share \"photos\"?"));
    openDialog();
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("titleLabel"))->text(), "Sys_Update_Succ")
        << "the title is not looked up";
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("infoLabel"))->text(), "Remove the share \"photos\"?");
    EXPECT_EQ(button("okButton")->text(), "OK");
    EXPECT_EQ(button("cancelButton")->text(), "Cancel");
    EXPECT_EQ(dialog->size(), QSize(480, 160));

    setting.setInfo(QStringLiteral("Changed while open"));
    EXPECT_EQ(dialog->findChild<QLabel *>(QStringLiteral("infoLabel"))->text(), "Changed while open");
}

TEST_F(ConfirmDialog, CancelButtonShowsOnlyWhenAsked)
{
    openDialog();
    EXPECT_TRUE(button("okButton")->isVisible());
    EXPECT_TRUE(button("cancelButton")->isVisible());

    setting.setIsBtnCancel(false);
    EXPECT_TRUE(button("okButton")->isVisible());
    EXPECT_FALSE(button("cancelButton")->isVisible());
}

TEST_F(ConfirmDialog, OKAndCancelRunTheirOwnActionThenClose)
{
    setting.setOkAction([this] {
        ran << QStringLiteral("ok");
        EXPECT_TRUE(dialog->isVisible()) << "the action runs before the panel closes";
    });
    setting.setCancelAction([this] { ran << QStringLiteral("cancel"); });
    QSignalSpy finished(dialog.data(), &QDialog::finished);

    openDialog();
    QTest::mouseClick(button("okButton"), Qt::LeftButton);
    EXPECT_EQ(ran, QStringList{"ok"});
    EXPECT_FALSE(dialog->isVisible());

    openDialog();
    QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
    EXPECT_EQ(ran, (QStringList{"ok", "cancel"}));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(finished.count(), 2);
}

TEST_F(ConfirmDialog, WithoutActionsTheButtonsOnlyClose)
{
    openDialog();
    QTest::mouseClick(button("okButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    openDialog();
    QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ConfirmDialog, CloseIconAndEscapeRunNoAction)
{
    setting.setOkAction([this] { ran << QStringLiteral("ok"); });
    setting.setCancelAction([this] { ran << QStringLiteral("cancel"); });
    openDialog();
    QTest::mouseClick(closeIcon(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    openDialog();
    QTest::keyClick(dialog.data(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(ran.isEmpty());
}

TEST_F(ConfirmDialog, ABareReturnNeverConfirmsWhatDestroys)
{
    // With a Cancel the panel asks before something is destroyed: Return cancels. A message with
    // OK alone is closed by Return.
    struct Case {
        bool withCancel;
        const char *expected;
    };
    for (const Case &each : {Case{true, "cancel"}, Case{false, "ok"}}) {
        ran.clear();
        setting.setIsBtnCancel(each.withCancel);
        setting.setOkAction([this] { ran << QStringLiteral("ok"); });
        setting.setCancelAction([this] { ran << QStringLiteral("cancel"); });
        openDialog();
        EXPECT_EQ(QApplication::focusWidget(), dialog->defaultButton());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(ran, QStringList{each.expected}) << each.withCancel;
        EXPECT_FALSE(dialog->isVisible());
    }
}

TEST_F(ConfirmDialog, SheetsSitCentredOnTheirWindowAndGoWithIt)
{
    owner.move(200, 150);
    QTest::qWait(20);
    DialogInput_Setting inputSetting;
    DialogInputView input(&inputSetting, true, &owner);
    DialogLoadingSetting loadingSetting;
    DialogLoadingSheet loading(&loadingSetting, &owner);
    setting.setInfo(QStringLiteral("A message long enough to need a second line in this panel, which is four hundred and "
                                   "eighty wide, so that the panel grows taller than it starts."));
    for (SheetDialog *sheet : std::initializer_list<SheetDialog *>{dialog.data(), &input, &loading}) {
        sheet->open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet));
        QTest::qWait(20);
        EXPECT_LE((sheet->geometry().center() - owner.geometry().center()).manhattanLength(), 2)
            << sheet->objectName().toStdString();
        owner.move(owner.pos() + QPoint(60, 40));
        QTest::qWait(20);
        EXPECT_LE((sheet->geometry().center() - owner.geometry().center()).manhattanLength(), 2)
            << sheet->objectName().toStdString() << " after its window moved";
        sheet->reject();
    }
}

TEST_F(ConfirmDialog, AnActionThatClosesThePanelLeavesItClosed)
{
    // Toggling the show flag after such an action would open the panel again.
    setting.setOkAction([this] { dialog->reject(); });
    openDialog();
    QTest::mouseClick(button("okButton"), Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(ConfirmDialog, AnActionThatDeletesItsOwnerIsSafe)
{
    setting.setOkAction([this] { delete dialog.data(); });
    openDialog();
    button("okButton")->click();
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(ConfirmDialog, ButtonLabelsFollowTheLocale)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    DialogConfirmView chinese(&setting, &owner);
    EXPECT_EQ(chinese.findChild<QPushButton *>(QStringLiteral("okButton"))->text(), QStringLiteral("确定"));
    EXPECT_EQ(chinese.findChild<QPushButton *>(QStringLiteral("cancelButton"))->text(), QStringLiteral("取消"));
}

} // namespace
