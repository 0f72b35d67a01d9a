#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "dialog_loading.h"
#include "dialog_loading_setting.h"
#include "localization.h"
#include "main_view_ui.h"
#include "qstring_print.h"
#include "symbol_button.h"
#include "theme.h"
#include "toast_overlay.h"
#include "test_wait.h"
#include "ui_test_support.h"
#include "widget_fit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <string>

// The shared widgets: the confirm, input and loading dialogs driven as their owners and users
// drive them, toasts, and the symbols and fonts every page draws with.
namespace {

using ValidType = DialogInput_Setting_ValidType;
const QString kPasswordMessage = QStringLiteral("The password should be 4~16 characters/numbers");

class Widgets : public ::testing::Test
{
protected:
    void SetUp() override
    {
        UiTest::useEnglishLook();
        owner.resize(700, 500);
        owner.show();
    }

    template <class T = QPushButton>
    static T *child(const QWidget *parent, const char *name)
    {
        return parent->findChild<T *>(QString::fromLatin1(name));
    }
    static void open(QDialog &dialog)
    {
        dialog.open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    // Presses "okButton", "cancelButton", "closeButton" (the icon), or the key "Escape" or "Return".
    static void press(QDialog &dialog, const QString &what)
    {
        if (what == QLatin1String("Escape") || what == QLatin1String("Return"))
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &dialog,
                            what == QLatin1String("Escape") ? Qt::Key_Escape : Qt::Key_Return);
        else
            QTest::mouseClick(dialog.findChild<QAbstractButton *>(what), Qt::LeftButton);
    }

    // Where widget stands in panel.
    static QRect at(const QWidget *panel, const QWidget *widget)
    {
        return QRect(widget->mapTo(panel, QPoint(0, 0)), widget->size());
    }
    // Why label, a wrapped label, does not show its whole text, or "" when it does.
    static QString cutText(const QWidget *panel, const QLabel *label)
    {
        const QRect room = label->contentsRect();
        const int flags = Qt::TextWordWrap | (label->alignment() & Qt::AlignHorizontal_Mask);
        const int needs = label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 100'000), flags, label->text()).height();
        if (room.height() < needs)
            return QStringLiteral("%1 is %2 high but needs %3").arg(label->objectName()).arg(room.height()).arg(needs);
        if (!panel->rect().contains(at(panel, label)))
            return label->objectName() + QStringLiteral(" reaches out of the panel");
        return {};
    }

    QWidget owner;
    QStringList ran;
};

TEST_F(Widgets, ConfirmShowsItsTextsAsStoredAndCancelOnlyWhenAsked)
{
    DialogConfirmSetting setting;
    DialogConfirmView dialog(&setting, &owner);
    setting.setTitle(QStringLiteral("Sys_Update_Succ"));
    setting.setInfo(QStringLiteral("Remove the share \"photos\"?"));
    open(dialog);
    EXPECT_EQ(child<QLabel>(&dialog, "titleLabel")->text(), "Sys_Update_Succ") << "the title is not looked up";
    EXPECT_EQ(child<QLabel>(&dialog, "infoLabel")->text(), "Remove the share \"photos\"?");
    EXPECT_EQ(dialog.size(), QSize(480, 160));
    EXPECT_EQ(child(&dialog, "okButton")->text(), "OK") << "the labels are localised";
    EXPECT_EQ(child(&dialog, "cancelButton")->text(), "Cancel");
    EXPECT_TRUE(child(&dialog, "cancelButton")->isVisible());

    setting.setInfo(QStringLiteral("Changed while open"));
    setting.setIsBtnCancel(false);
    EXPECT_EQ(child<QLabel>(&dialog, "infoLabel")->text(), "Changed while open");
    EXPECT_TRUE(child(&dialog, "okButton")->isVisible());
    EXPECT_FALSE(child(&dialog, "cancelButton")->isVisible());
}

TEST_F(Widgets, ConfirmButtonsRunTheirOwnActionBeforeClosingAndTheIconNone)
{
    // With a Cancel the panel asks before something is destroyed, so Return presses Cancel; a
    // message with OK alone is closed by it.
    struct Case {
        bool withCancel;
        const char *pressed;
        const char *ran;
    };
    for (const bool withActions : {true, false}) {
        for (const Case &each : {Case{true, "okButton", "ok"}, Case{true, "cancelButton", "cancel"},
                                 Case{true, "closeButton", ""}, Case{true, "Escape", ""}, Case{true, "Return", "cancel"},
                                 Case{false, "Return", "ok"}}) {
            DialogConfirmSetting setting;
            DialogConfirmView dialog(&setting, &owner);
            ran.clear();
            setting.setIsBtnCancel(each.withCancel);
            if (withActions) {
                setting.setOkAction([&] { ran << (dialog.isVisible() ? "ok" : "ok after closing"); });
                setting.setCancelAction([&] { ran << (dialog.isVisible() ? "cancel" : "cancel after closing"); });
            }
            open(dialog);
            press(dialog, QString::fromLatin1(each.pressed));
            EXPECT_EQ(ran.join(' '), withActions ? each.ran : "") << each.pressed << " " << each.withCancel;
            EXPECT_FALSE(dialog.isVisible()) << each.pressed;
        }
    }
}

TEST_F(Widgets, AConfirmActionMayCloseOrDeleteItsOwnPanel)
{
    DialogConfirmSetting setting;
    QPointer<DialogConfirmView> dialog = new DialogConfirmView(&setting, &owner);
    // Toggling a show flag after such an action would open the panel again.
    using Action = DialogConfirmSetting::Action;
    for (const Action &action : {Action([&] { dialog->reject(); }), Action([&] { delete dialog; })}) {
        setting.setOkAction(action);
        open(*dialog);
        press(*dialog, "okButton");
        ASSERT_TRUE(waitForPostedEvents());
        EXPECT_TRUE(!dialog || !dialog->isVisible());
    }
    EXPECT_TRUE(dialog.isNull());
}

TEST_F(Widgets, SheetsSitCentredOnTheirWindowAndGoWithIt)
{
    QPoint ownerAt(200, 150);
    owner.move(ownerAt);
    DialogConfirmSetting confirmSetting;
    confirmSetting.setInfo(QStringLiteral("A message long enough to need a second line in this panel, which is four "
                                          "hundred and eighty wide, so that the panel grows taller than it starts."));
    DialogConfirmView confirm(&confirmSetting, &owner);
    DialogInput_Setting inputSetting;
    DialogInputView input(&inputSetting, true, &owner);
    DialogLoadingSetting loadingSetting;
    DialogLoadingSheet loading(&loadingSetting, &owner);
    for (SheetDialog *sheet : std::initializer_list<SheetDialog *>{&confirm, &input, &loading}) {
        open(*sheet);
        for (const char *when : {"shown", "after its window moved"}) {
            // The window's move arrives as an event; the sheet follows it on a later one.
            const auto offCentre = [&] { return (sheet->geometry().center() - owner.geometry().center()).manhattanLength(); };
            EXPECT_TRUE(waitFor([&] { return owner.pos() == ownerAt && offCentre() <= 2; }))
                << sheet->objectName().toStdString() << " " << when << ": " << offCentre() << " off";
            ownerAt += QPoint(60, 40);
            owner.move(ownerAt);
        }
        sheet->reject();
    }
}

TEST_F(Widgets, PanelButtonRowsHoldOKThenCancelEighteenApartCentredWithTheirInsets)
{
    // Inside the panel's padding of 1, the row keeps 15 (confirm) or 20 (input) below its buttons;
    // the row with its leading inset of 8 is centred, so the buttons' middle is 4 right of the panel's.
    for (const QLocale &language : englishAndChinese) {
        SCOPED_TRACE(language.name().toStdString());
        QLocale::setDefault(language);
        DialogConfirmSetting confirmSetting;
        confirmSetting.setInfo(QStringLiteral("Remove the share \"photos\"?"));
        DialogConfirmView confirm(&confirmSetting, &owner);
        DialogInput_Setting inputSetting;
        DialogInputView input(&inputSetting, true, &owner);
        for (const auto &[panel, bottomInset] : {std::pair<QDialog *, int>{&confirm, 15}, {&input, 20}}) {
            SCOPED_TRACE(panel->objectName().toStdString());
            open(*panel);
            const QRect ok = at(panel, child(panel, "okButton"));
            const QRect cancel = at(panel, child(panel, "cancelButton"));
            EXPECT_EQ(panel->size(), QSize(480, 160));
            // At least 66 wide, and no wider than their labels ask: the row does not stretch them.
            for (const char *name : {"okButton", "cancelButton"})
                EXPECT_EQ(child(panel, name)->width(), std::max(66, child(panel, name)->sizeHint().width())) << name;
            EXPECT_EQ(cancel.left() - ok.right() - 1, 18) << "OK first, then Cancel";
            EXPECT_EQ(panel->height() - ok.bottom() - 1, 1 + bottomInset);
            EXPECT_EQ(panel->height() - cancel.bottom() - 1, 1 + bottomInset);
            EXPECT_NEAR((ok.left() + cancel.right() + 1) / 2.0 - 480 / 2.0, 4, 0.5);
            EXPECT_TRUE(cutWidgets(panel).isEmpty()) << cutWidgets(panel).join(u'\n').toStdString();
            panel->reject();
        }

        // OK alone, with no room after it, is centred the same way.
        confirmSetting.setIsBtnCancel(false);
        open(confirm);
        QPushButton *ok = child(&confirm, "okButton");
        EXPECT_FALSE(child(&confirm, "cancelButton")->isVisible());
        const auto offCentre = [&] { return (at(&confirm, ok).left() + at(&confirm, ok).right() + 1) / 2.0 - 480 / 2.0; };
        EXPECT_TRUE(waitFor([&] { return qAbs(offCentre() - 4) <= 0.5; })) << offCentre();
        EXPECT_EQ(confirm.height() - at(&confirm, ok).bottom() - 1, 1 + 15);
    }
}

TEST_F(Widgets, InBothPanelsTabGoesFromOKToCancel)
{
    DialogConfirmSetting confirmSetting;
    DialogConfirmView confirm(&confirmSetting, &owner);
    DialogInput_Setting inputSetting;
    DialogInputView input(&inputSetting, true, &owner);
    // The input panel starts in its field; the confirm panel on Cancel, which a bare Return presses.
    for (const auto &[panel, start] : {std::pair<QDialog *, const char *>{&confirm, "cancelButton"}, {&input, "inputField"}}) {
        SCOPED_TRACE(panel->objectName().toStdString());
        open(*panel);
        ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == child<QWidget>(panel, start); }));
        QStringList reached;
        for (int i = 0; i < 2; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached << QApplication::focusWidget()->objectName();
        }
        EXPECT_EQ(reached, QStringList({"okButton", "cancelButton"}));
        panel->reject();
    }
}

TEST_F(Widgets, APanelGrowsForALongTextAndIs480By160AgainForAShortOne)
{
    // The owners keep one panel each and ask one question after another in it, some while it shows.
    const QString installer = QStringLiteral("/home/ann/Downloads/Fenmar/updates/Fenmar2.4.1.dmg");
    for (const QLocale &language : englishAndChinese) {
        SCOPED_TRACE(language.name().toStdString());
        QLocale::setDefault(language);
        const QString upgradeFailed = localizedString(QStringLiteral("Settings_UpgradeOpenFailed")).arg(installer);
        const QString removeInfo = localizedString(QStringLiteral("LS_RemoveInfo"));
        const QString longText = upgradeFailed + u'\n' + QStringList(4, removeInfo).join(u' ') + u'\n' + upgradeFailed;
        struct Step {
            QString text;
            bool whileShown;
        };
        const Step steps[] = {{QStringLiteral("Done."), false}, {longText, true}, {QStringLiteral("Done."), true},
                              {longText, false}, {QString(), false}};
        // A long text needs more than the panel's least height, and gets it; a short one gets
        // exactly 480 by 160 back. Either way the text shows whole, above the buttons.
        const auto takeStep = [&](QDialog &panel, const Step &step, const std::function<void(const QString &)> &write,
                                  QLabel *label, int bottomInset) {
            SCOPED_TRACE(std::to_string(step.text.size()) + (step.whileShown ? " characters while shown" : " characters when shown again"));
            if (!step.whileShown)
                panel.reject();
            write(step.text);
            if (!step.whileShown)
                open(panel);
            const bool isLong = step.text == longText;
            EXPECT_TRUE(waitFor([&] { return isLong ? panel.height() > 160 : panel.size() == QSize(480, 160); }))
                << panel.width() << "x" << panel.height();
            EXPECT_EQ(panel.width(), 480);
            QPushButton *ok = child(&panel, "okButton");
            if (!step.text.isEmpty()) {
                EXPECT_EQ(cutText(&panel, label), "");
                EXPECT_LT(at(&panel, label).bottom(), at(&panel, ok).top());
            }
            EXPECT_EQ(panel.height() - at(&panel, ok).bottom() - 1, 1 + bottomInset);
            EXPECT_TRUE(cutWidgets(&panel).isEmpty()) << cutWidgets(&panel).join(u'\n').toStdString();
        };

        DialogConfirmSetting confirmSetting;
        DialogConfirmView confirm(&confirmSetting, &owner);
        for (const Step &step : steps) {
            takeStep(confirm, step, [&](const QString &text) { confirmSetting.setInfo(text); },
                     child<QLabel>(&confirm, "infoLabel"), 15);
            EXPECT_LE(child<QLabel>(&confirm, "infoLabel")->width(), 450);
        }
        DialogInput_Setting inputSetting;
        DialogInputView input(&inputSetting, true, &owner);
        for (const Step &step : steps) {
            takeStep(input, step, [&](const QString &text) { inputSetting.setTips(text); },
                     child<QLabel>(&input, "tipsLabel"), 20);
        }
    }
}

// ---- Input dialog ---------------------------------------------------------------------------------

TEST_F(Widgets, InputLengthsCountCharactersThenThePasswordPatternApplies)
{
    const QString thumbsUp = QString::fromUtf8("\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"); // 1 character, 4 UTF-16 units
    const QString family = QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7");
    const QString zhong = QStringLiteral("\u4E2D");
    struct Case { bool allowEmpty; int lenMin, lenMax; ValidType type; QString value, refusal; };
    const auto a = [](int n) { return QString(n, u'a'); };
    const Case cases[] = {
        {true, 4, 30, ValidType::dsvPassword, "", ""},
        {false, 0, 30, ValidType::dsvPassword, "", kPasswordMessage},
        {false, 0, 30, ValidType::dsvPassword, a(20), kPasswordMessage},
        {false, 0, 30, ValidType::dsvPassword, a(31), "input length should <=30"},
        {false, 0, 30, ValidType::dsvNone, a(30), ""},
        {false, 4, 30, ValidType::dsvNone, "abc", "input length should >=4"},
        {false, 4, 30, ValidType::dsvNone, "abcd", ""},
        {false, 0, 30, ValidType::dsvPassword, "ab cd", kPasswordMessage},
        {false, 0, 30, ValidType::dsvPassword, "ab-cd", kPasswordMessage},
        {false, 0, 30, ValidType::dsvPassword, "abc\u00e9", kPasswordMessage},
        {false, 0, 30, ValidType::dsvPassword, QString(17, u'7'), kPasswordMessage},
        {false, 0, 30, ValidType::dsvPassword, QString(16, u'7'), ""},
        {false, 0, 30, ValidType::dsvPassword, "AbCd", ""},
        {false, 2, 3, ValidType::dsvNone, thumbsUp, "input length should >=2"},
        {false, 2, 3, ValidType::dsvNone, thumbsUp + family, ""},
        {false, 2, 3, ValidType::dsvNone, zhong + zhong + QStringLiteral("e\u0301"), ""},
        {false, 2, 3, ValidType::dsvNone, zhong + zhong + zhong + zhong, "input length should <=3"},
    };
    DialogInput_Setting setting;
    for (const Case &each : cases) {
        setting.configure("T", {}, nullptr, each.lenMin, each.lenMax, each.type, each.allowEmpty);
        EXPECT_EQ(DialogInputView::refusal(setting, each.value), each.refusal) << each.value.toStdString();
    }
}

class InputDialog : public Widgets
{
protected:
    // The share detail page's access-code question, with an action that records the value.
    void openAsked(bool allowEmpty = false)
    {
        setting.configure(QStringLiteral("Access code"), QString(), [this] {
            ran << (dialog->isVisible() ? "ran while open: " : "") + setting.value();
        }, 0, 30, ValidType::dsvPassword, allowEmpty);
        dialog = std::make_unique<DialogInputView>(&setting, true, &owner);
        open(*dialog);
    }
    QLineEdit *field() const { return child<QLineEdit>(dialog.get(), "inputField"); }
    void typeAndPressOK(const QString &text)
    {
        field()->clear();
        QTest::keyClicks(field(), text);
        press(*dialog, "okButton");
    }

    DialogInput_Setting setting;
    std::unique_ptr<DialogInputView> dialog;
};

TEST_F(InputDialog, ARefusalIsABannerInThePanelWhichStaysOpenAndReturnSubmitsWhileOKIsEnabled)
{
    openAsked();
    typeAndPressOK("ab-cd");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(ran.isEmpty());
    EXPECT_EQ(setting.value(), "ab-cd") << "the field writes the value on every keystroke";
    ASSERT_TRUE(dialog->toast()->isShowing());
    EXPECT_EQ(dialog->toast()->toast(), AlertToast::banner(kPasswordMessage));
    EXPECT_EQ(dialog->toast()->duration(), std::chrono::milliseconds(1880));

    // Return submits only while OK is enabled: neither OK nor a default Cancel may answer it otherwise.
    dialog->setIsCanSubmiti(false);
    field()->clear();
    QTest::keyClicks(field(), "Secret42");
    QTest::keyClick(field(), Qt::Key_Return);
    QTest::keyClick(field(), Qt::Key_Enter);
    EXPECT_TRUE(ran.isEmpty());
    EXPECT_TRUE(dialog->isVisible());
    dialog->setIsCanSubmiti(true);
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(ran, QStringList{"Secret42"}) << "closed before the action runs";
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(InputDialog, CancelTheIconAndEscapeNeverRunTheActionAndKeepTheValue)
{
    openAsked();
    QTest::keyClicks(field(), "abcd");
    for (const char *how : {"cancelButton", "closeButton", "Escape"}) {
        open(*dialog);
        EXPECT_EQ(field()->text(), "abcd");
        press(*dialog, how);
        EXPECT_FALSE(dialog->isVisible()) << how;
    }
    EXPECT_TRUE(ran.isEmpty());
    EXPECT_EQ(setting.value(), "abcd");
}

TEST_F(InputDialog, EachShowingStartsWithoutAToastAndWithTheConfiguredTexts)
{
    openAsked();
    typeAndPressOK("x");
    ASSERT_TRUE(dialog->toast()->isShowing());
    dialog->reject();

    // configure() leaves the hint line as it was.
    setting.setTips(QStringLiteral("4 to 16 letters or digits"));
    setting.configure(QStringLiteral("LS_AccessCodeSetTitle"), QString(), [this] { ran << "cleared"; }, 0, 30,
                      ValidType::dsvPassword, true);
    open(*dialog);
    EXPECT_FALSE(dialog->toast()->isShowing());
    EXPECT_EQ(field()->text(), "");
    EXPECT_EQ(child<QLabel>(dialog.get(), "titleLabel")->text(), "LS_AccessCodeSetTitle") << "shown as stored";
    QLabel *tips = child<QLabel>(dialog.get(), "tipsLabel");
    EXPECT_TRUE(tips->isVisible());
    EXPECT_EQ(tips->text(), "4 to 16 letters or digits");
    EXPECT_EQ(child(dialog.get(), "okButton")->text(), "OK");
    EXPECT_EQ(child(dialog.get(), "cancelButton")->text(), "Cancel");
    setting.setTips(QString());
    EXPECT_FALSE(tips->isVisible());
    // An allowed empty value is accepted at once (clearing a code).
    press(*dialog, "okButton");
    EXPECT_EQ(ran, QStringList{"cleared"});
}

// ---- Loading dialog -------------------------------------------------------------------------------

TEST_F(Widgets, LoadingClosesItselfAtTheNinthTickOfItsDefaultLimitAndCountsAfreshWhenShown)
{
    DialogLoadingSetting setting;
    DialogLoading loading(&setting, &owner);
    setting.setActionTimeout([this] { ran << "timeout"; });
    loading.show();
    for (int tick = 1; tick <= 9; ++tick) {
        loading.onTimerTick();
        EXPECT_EQ(loading.isVisible(), tick < 9) << tick;
    }
    EXPECT_FALSE(loading.isCounting());
    EXPECT_EQ(ran, QStringList{"timeout"});

    // Shown again it counts afresh, from the one-second timer itself: with limit 0 it closes at the first tick.
    setting.setMaxWaiting(0);
    QSignalSpy limit(&loading, &DialogLoading::limitReached);
    loading.show();
    EXPECT_EQ(loading.timerCounter(), 0);
    EXPECT_TRUE(limit.wait(10'000));
    EXPECT_FALSE(loading.isVisible());
    EXPECT_EQ(loading.timerCounter(), 1);
}

TEST_F(Widgets, AnIndicatorThatMustStayAndTheSheetOnlyStopCounting)
{
    DialogLoadingSetting setting;
    setting.setMaxWaiting(1);
    DialogLoading embedded(&setting, &owner);
    embedded.setHidesAtLimit(false);
    embedded.show();
    embedded.onTimerTick();
    embedded.onTimerTick();
    EXPECT_TRUE(embedded.isVisible());
    EXPECT_FALSE(embedded.isCounting());
    // Hidden by its owner, an indicator stops counting too.
    embedded.show();
    embedded.hide();
    EXPECT_FALSE(embedded.isCounting());

    // As a sheet, the sheet closes at the limit and counts afresh at its next showing.
    DialogLoadingSheet sheet(&setting, &owner);
    open(sheet);
    sheet.loading()->onTimerTick();
    sheet.loading()->onTimerTick();
    EXPECT_FALSE(sheet.isVisible());
    open(sheet);
    EXPECT_EQ(sheet.loading()->timerCounter(), 0);
    EXPECT_TRUE(sheet.loading()->isCounting());
}

TEST_F(Widgets, LoadingTitleLineFollowsTheSettingAndTheDotsPulseInTurn)
{
    DialogLoadingSetting setting;
    DialogLoading loading(&setting, &owner);
    loading.show();
    QLabel *title = child<QLabel>(&loading, "loadingTitle");
    EXPECT_EQ(title->text(), "Loading...");
    setting.setTitle(QStringLiteral("Logging in..."));
    EXPECT_EQ(title->text(), "Logging in...");
    setting.setTitle(QString());
    EXPECT_FALSE(title->isVisible()) << "an empty title shows the dots alone";
    EXPECT_TRUE(child<QWidget>(&loading, "loadingDots")->isVisible());

    // Half size to full in 0.5 s and back; each dot 0.2 s after the one before it.
    for (const auto &[dot, ms, scale] : {std::tuple{0, 0, 0.5}, std::tuple{0, 500, 1.0}, std::tuple{0, 1000, 0.5},
                                         std::tuple{3, 600, 0.5}, std::tuple{3, 1100, 1.0}})
        EXPECT_DOUBLE_EQ(DialogLoading::dotScale(dot, ms), scale) << dot << " at " << ms;
}

// ---- Toasts and the look ------------------------------------------------------------------------

TEST_F(Widgets, ToastNoticesAndResultsSitInTheMiddleAndBannersAtTheFoot)
{
    ToastOverlay overlay(&owner, ToastOverlay::kMainWindowDuration);
    const auto label = [&](const char *name) { return child<QLabel>(&overlay, name); };
    const auto distanceFromMiddle = [&] { return (overlay.geometry().center() - owner.rect().center()).manhattanLength(); };
    overlay.present(AlertToast::notice(QStringLiteral("Setting saved.")));
    EXPECT_EQ(label("toastTitle")->text(), "Setting saved.");
    EXPECT_FALSE(label("toastIcon")->isVisible()) << "a notice is text alone";
    EXPECT_LE(distanceFromMiddle(), 3);

    overlay.present(AlertToast::result(true, QStringLiteral("Done!")));
    EXPECT_TRUE(label("toastIcon")->isVisible());
    const QImage check = label("toastIcon")->pixmap().toImage();
    overlay.present(AlertToast::result(false, QStringLiteral("Path Alread Exists!")));
    EXPECT_NE(check, label("toastIcon")->pixmap().toImage()) << "success and failure carry different marks";
    EXPECT_LE(distanceFromMiddle(), 3);

    overlay.present(AlertToast::banner(QStringLiteral("input length should >=4")));
    EXPECT_TRUE(label("toastIcon")->isVisible());
    // It pops up from below and comes to rest inside the foot of its host, and follows its size.
    EXPECT_TRUE(waitFor([&] { return overlay.geometry().bottom() < owner.height(); }));
    EXPECT_GT(overlay.geometry().top(), owner.height() / 2);
    owner.resize(900, 700);
    EXPECT_GT(overlay.geometry().top(), 700 / 2);
    EXPECT_NEAR(overlay.geometry().center().x(), 450, 2);
}

TEST_F(Widgets, ToastOneAtATimeGoneAfterItsTimeOrAClick)
{
    ToastOverlay overlay(&owner, ToastOverlay::kMainWindowDuration);
    QSignalSpy showing(&overlay, &ToastOverlay::showingChanged);
    QElapsedTimer clock;
    clock.start();
    overlay.present(AlertToast::notice(QStringLiteral("first")));
    overlay.present(AlertToast::notice(QStringLiteral("second")));
    EXPECT_EQ(child<QLabel>(&overlay, "toastTitle")->text(), "second");
    EXPECT_EQ(owner.findChildren<ToastOverlay *>().size(), 1);
    // The main window shows a toast for 0.88 seconds, not a moment less.
    EXPECT_TRUE(waitFor([&] { return !overlay.isShowing(); }, 10'000));
    EXPECT_GE(clock.elapsed(), 880);
    // Which only a precise timer guarantees: a coarse one may end it up to 5 % early.
    const QList<QTimer *> timers = overlay.findChildren<QTimer *>();
    ASSERT_EQ(timers.size(), 1);
    EXPECT_EQ(timers.first()->timerType(), Qt::PreciseTimer);
    EXPECT_FALSE(overlay.isVisible());
    EXPECT_EQ(showing.count(), 2) << "one came up, one went";

    overlay.present(AlertToast::result(true, QStringLiteral("Done!")));
    QTest::mouseClick(&overlay, Qt::LeftButton, {}, overlay.rect().center());
    EXPECT_FALSE(overlay.isShowing());
    EXPECT_FALSE(overlay.isVisible());

    // A toast that comes while another shows has its whole time from when it came. (Halfway through
    // the first is only where the second comes; on a slow machine the first may have gone by then.)
    QElapsedTimer sinceFirst;
    sinceFirst.start();
    overlay.present(AlertToast::notice(QStringLiteral("third")));
    waitFor([&] { return sinceFirst.elapsed() >= 880 / 2; }, 10'000);
    QElapsedTimer sinceNext;
    sinceNext.start();
    overlay.present(AlertToast::notice(QStringLiteral("fourth")));
    EXPECT_TRUE(waitFor([&] { return !overlay.isShowing(); }, 10'000));
    EXPECT_GE(sinceNext.elapsed(), 880);

    // A panel's toast stays its 1.88 seconds.
    ToastOverlay panel(&owner, ToastOverlay::kPanelDuration);
    QElapsedTimer panelClock;
    panelClock.start();
    panel.present(AlertToast::banner(QStringLiteral("input length should >=4")));
    EXPECT_TRUE(waitFor([&] { return !panel.isShowing(); }, 10'000));
    EXPECT_GE(panelClock.elapsed(), 1880);
}

TEST_F(Widgets, ASymbolButtonTakesTabAndIsPressedByReturnEnterOrSpaceWhileEnabled)
{
    SymbolButton button(QStringLiteral("globe"), QColor(), QStringLiteral("Open the link"), &owner);
    int pressed = 0;
    QObject::connect(&button, &QToolButton::clicked, [&] { ++pressed; });
    button.show();
    EXPECT_EQ(button.focusPolicy(), Qt::StrongFocus);
    EXPECT_EQ(button.accessibleName(), "Open the link");
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        const int before = pressed;
        QTest::keyClick(&button, key);
        EXPECT_TRUE(waitFor([&] { return pressed == before + 1; })) << key;
    }
    QTest::keyClick(&button, Qt::Key_Return, Qt::ControlModifier);
    button.setEnabled(false);
    QTest::keyClick(&button, Qt::Key_Return);
    // Another button's click, started after them, comes after any click they had started.
    SymbolButton later(QStringLiteral("globe"), QColor(), QStringLiteral("Later"), &owner);
    bool laterPressed = false;
    QObject::connect(&later, &QToolButton::clicked, [&] { laterPressed = true; });
    later.show();
    QTest::keyClick(&later, Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return laterPressed; }));
    EXPECT_EQ(pressed, 3) << "neither with a modifier nor while disabled";
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

TEST(MainViewUiTest, ToastHelpersPickTheirLooksAndTheRegistrationEndsWithTheWindow)
{
    UiTest::useEnglishLook();
    auto view = std::make_unique<FakeMainView>();
    view->showToast(QStringLiteral("Setting saved."));
    view->showUpdateResult(true);
    view->showUpdateResult(false);
    EXPECT_EQ(view->toasts, QList<AlertToast>({AlertToast::notice(QStringLiteral("Setting saved.")),
                                                AlertToast::result(true, QStringLiteral("Updated")),
                                                AlertToast::result(false, QStringLiteral("Update failed"))}));

    EXPECT_EQ(MainViewUi::current(), nullptr);
    MainViewUi::setCurrent(view.get());
    {
        FakeMainView other;
    }
    EXPECT_EQ(MainViewUi::current(), view.get()) << "only the registered window clears it";
    view.reset();
    EXPECT_EQ(MainViewUi::current(), nullptr);
}

TEST(Theme, EverySymbolAndColourThePagesUseIsThereAndSymbolsTakeTheirTint)
{
    UiTest::useEnglishLook();
    for (const char *name : {"ColorMain0", "navDisabled", "activeBorder", "navBG", "bannerBorder", "frameBorder",
                             "btnRed", "editTextColor", "activeButton", "green", "red", "yellow", "gray"})
        EXPECT_TRUE(Theme::color(QString::fromLatin1(name)).isValid()) << name;
    // Most opaque pixels of a symbol, drawn afresh at the size asked, are in its tint.
    const QColor tint(0x20, 0x80, 0xc0);
    const auto tinted = [&tint](const QImage &image) {
        int opaque = 0, matching = 0;
        for (int i = 0; i < image.width() * image.height(); ++i) {
            const QColor c = image.pixelColor(i % image.width(), i / image.width());
            opaque += c.alpha() >= 250;
            matching += c.alpha() >= 250 && qAbs(c.red() - tint.red()) + qAbs(c.green() - tint.green()) < 12
                        && qAbs(c.blue() - tint.blue()) < 8;
        }
        return image.size() == QSize(64, 64) && matching > 0.3 * opaque && opaque > 0;
    };
    for (const char *symbol :
         {"globe", "person.icloud.fill", "gearshape.circle.fill", "person.crop.circle.fill", "multiply.circle.fill",
          "info.square.fill", "folder.fill.badge.gearshape", "rectangle.and.pencil.and.ellipsis", "square.and.pencil",
          "plus.rectangle.fill", "minus.circle.fill", "bolt.fill", "lock.square", "checkmark", "xmark", "folder.fill",
          "doc.fill", "trash.fill", "arrow.down.circle.fill", "arrow.up.circle.fill", "chevron.left",
          "arrow.clockwise", "desktopcomputer", "person.2.fill", "paperplane.fill", "plus.circle.fill", "pencil"})
        EXPECT_TRUE(tinted(Theme::icon(symbol, tint).pixmap(QSize(64, 64)).toImage())) << symbol;
    EXPECT_TRUE(Theme::icon(QStringLiteral("no.such.symbol")).isNull());
    EXPECT_FALSE(Theme::hasSymbol(QStringLiteral("../icons/fenmar")));
    EXPECT_EQ(Theme::logo(60, 2.0).toImage().pixelColor(60, 60).alpha(), 255);
}

TEST(Theme, TheFontDrawsLatinAndChinese)
{
    const QFontMetrics metrics(Theme::font(13));
    for (const char32_t c : {U'A', U'z', U'7', U'\u4E2D', U'\u6587', U'\u786E'})
        EXPECT_TRUE(metrics.inFontUcs4(c)) << unsigned(c);
}

} // namespace
