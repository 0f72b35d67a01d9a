// Every page and sheet of the window at once: under Chinese no interface text is left in English,
// in either language nothing is cut, the shares page keeps its room around the header, the cards
// and their rows, and at the window's smallest size no control is cut off.

#include "app_gui_support.h"

#include "alert_toast.h"
#include "dialog_add_contact.h"
#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "dialog_loading_setting.h"
#include "file_dialog_panels.h"
#include "remote_sharing.h"
#include "toast_overlay.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_edit.h"
#include "view_sharing_remote_file_list.h"
#include "view_sharing_remote_upload.h"
#include "view_sharing_detail.h"
#include "widget_fit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTextDocumentFragment>
#include <QTreeWidget>

namespace {

class EveryPage : public ShellTest
{
protected:
    // A share card and a remote host row, then the window signed in.
    void showWithSampleData()
    {
        storeShare(QStringLiteral("AB12"), QStringLiteral("Photos"));
        RemoteSharing host;
        host.hostname = QStringLiteral("ann");
        host.hosttag = QStringLiteral("AB12");
        const qint64 before = std::exchange(Env::userInfo.id_acc, testAccount().id_acc);
        EXPECT_TRUE(RemoteSharing_Add(host));
        Env::userInfo.id_acc = before;
        showMainView();
    }
    static constexpr std::array pages{MainView::pageLocalShares, MainView::pageRemoteHosts, MainView::pageSettings};
};

// What a person reads on widget: its text, placeholder, headings, title and tooltip.
QStringList readableTexts(QWidget *widget)
{
    QStringList texts{widget->toolTip()};
    if (auto *label = qobject_cast<QLabel *>(widget))
        texts << (label->textFormat() == Qt::PlainText ? label->text() : QTextDocumentFragment::fromHtml(label->text()).toPlainText());
    if (auto *button = qobject_cast<QAbstractButton *>(widget))
        texts << button->text();
    if (auto *field = qobject_cast<QLineEdit *>(widget))
        texts << field->placeholderText();
    if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
        for (int i = 0; i < tree->columnCount(); ++i)
            texts << tree->headerItem()->text(i);
    }
    if (widget->isWindow())
        texts << widget->windowTitle();
    return texts;
}

// The texts shown as they stand in every language, and so the listed exceptions to "no English".
const QStringList fixedTexts{QStringLiteral("Anonymous"),
                             QStringLiteral("Ver. "),
                             QStringLiteral("Initialing, Pleae wait..."),
                             QStringLiteral("Logging in..."),
                             QStringLiteral("Login Timeout!"),
                             QStringLiteral("Please try again later."),
                             QStringLiteral("Confirm"),
                             QStringLiteral("Are you sure?"),
                             QStringLiteral("The password should be 4~16 characters/numbers"),
                             QStringLiteral("input length should <="),
                             QStringLiteral("input length should >="),
                             QStringLiteral("Choose one file or folder"),
                             QStringLiteral("Setting saved."),
                             QStringLiteral("Done!"),
                             QStringLiteral("Path Alread Exists!"),
                             QStringLiteral("Max Connection Limits Reached!")};

// True when text holds an English word once the fixed texts, addresses, paths, versions and
// names are taken out.
bool holdsEnglish(QString text)
{
    for (const QString &fixed : fixedTexts)
        text.remove(fixed);
    static const QRegularExpression addresses(QStringLiteral(R"(\S+://\S+|\S+@\S+|\S*/\S*|[Vv]?\d+(\.\d+)+)"));
    text.remove(addresses);
    for (const char *name : {"Fenmar", "AB12", "ann", "Tester"})
        text.remove(QLatin1String(name));
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
    return word.match(text).hasMatch();
}

TEST_F(EveryPage, UnderChineseNoInterfaceTextStaysEnglish)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    showWithSampleData();
    QStringList found;
    const auto scan = [&](const char *when) {
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets << window.get();
        for (QWidget *widget : widgets) {
            for (const QString &text : readableTexts(widget)) {
                if (holdsEnglish(text))
                    found << QStringLiteral("%1: %2 \"%3\"").arg(QLatin1String(when), widget->objectName(), text);
            }
        }
    };
    scan("before the login");
    window->loginSheet().onLoginButton();
    Env::isBridgeConnected = true;
    tickLogin(8 + 2); // the sheet gives up 8 ticks after sending
    scan("after a login timed out");
    Env::isBridgeConnected = false;
    finishLogin();
    for (const MainView::Page page : pages)
        window->selectPage(page);
    auto *browser = new ViewSharingRemoteFileList(RemoteSharing_List().value(0), window.get());
    browser->setHostInvalid(localizedString(QStringLiteral("RS_ShareRefused")));
    new ViewSharingRemoteDownload({QStringLiteral("/srv/AB12/report.txt")}, window.get());
    new ViewSharingRemoteUpload(QStringLiteral("/srv/AB12"), QStringLiteral("AB12"), window.get());
    new ViewSharingRemoteEdit(RemoteSharing(), window.get());
    new DialogAddContact(window.get());
    scan("after the login");
    DialogInput_Setting rule;
    rule.configure(QString(), QString(), {}, 0, 30, DialogInput_Setting_ValidType::dsvPassword, false);
    for (const QString &refused : {QStringLiteral("a b"), QString(31, u'a')}) {
        if (holdsEnglish(DialogInputView::refusal(rule, refused)))
            found << QStringLiteral("input refusal: \"%1\"").arg(DialogInputView::refusal(rule, refused));
    }
    EXPECT_TRUE(found.isEmpty()) << found.join(QLatin1Char('\n')).toStdString();
}

TEST_F(EveryPage, UnderChineseTheFixedTextsShowAsTheyStand)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    registerFileDialogPanels();
    FileDialogPanels::clearNextAnswer();
    showWithSampleData();
    LoginView &sheet = window->loginSheet();
    QStringList shown{child<QLabel>("accountName")->text(), child<QLabel>("versionLabel")->text(),
                      sheet.dialogLoadingSetting().title(), DialogConfirmSetting().title(), DialogConfirmSetting().info()};
    sheet.onLoginButton();
    shown << sheet.dialogLoadingSetting().title();
    Env::isBridgeConnected = true;
    tickLogin(8 + 2);
    Env::isBridgeConnected = false;
    const DialogConfirmSetting &message = *sheet.findChild<DialogConfirmView *>(QStringLiteral("loginMessageDialog"))->setting();
    shown << message.title() << message.info();
    EXPECT_EQ(shown, QStringList({"Anonymous", "Ver. 3.1.3", "Initialing, Pleae wait...", "Confirm", "Are you sure?",
                                  "Logging in...", "Login Timeout!", "Please try again later."}));

    DialogInput_Setting rule;
    rule.configure(QString(), QString(), {}, 1, 30, DialogInput_Setting_ValidType::dsvPassword, false);
    EXPECT_EQ(DialogInputView::refusal(rule, QStringLiteral("a b")), "The password should be 4~16 characters/numbers");
    EXPECT_EQ(DialogInputView::refusal(rule, QString()), "input length should >=1");
    EXPECT_EQ(DialogInputView::refusal(rule, QString(31, u'a')), "input length should <=30");

    // The three open panels, and the toasts after each answer.
    finishLogin();
    Env::userInfo.maxsharecount = 5;
    const auto choose = [&](MainView::Page page, const char *button, const QString &answer) {
        window->selectPage(page);
        FileDialogPanels::clearNextAnswer();
        FileDialogPanels::setNextAnswer({answer});
        child<QAbstractButton>(button)->click();
        EXPECT_TRUE(waitFor([&] { return window->isShowToast(); })) << button;
        const QString toast = window->alertToast().title();
        window->toastOverlay().dismiss();
        return FileDialogPanels::lastRequest().value_or(FileDialogPanels::Request()).title + " / " + toast;
    };
    const QString folder = QDir(TestHome::path()).filePath(QStringLiteral("Shared"));
    ASSERT_TRUE(QDir().mkpath(folder));
    EXPECT_EQ(choose(MainView::pageSettings, "chooseFolderButton", folder), "Choose one file or folder / Setting saved.");
    EXPECT_EQ(choose(MainView::pageLocalShares, "choosePathButton", folder),
              "Choose one file or folder / " + localizedString(QStringLiteral("Sys_Update_Succ")));
    EXPECT_EQ(choose(MainView::pageLocalShares, "addShareButton", folder), "Choose one file or folder / Done!");
    ASSERT_TRUE(UtilDB::exec("create trigger refused before insert on localshare begin select raise(abort, 'no'); end").ok);
    EXPECT_EQ(choose(MainView::pageLocalShares, "addShareButton", folder), "Choose one file or folder / Path Alread Exists!");
}

// What of root reaches past its left or right edge (a scroll area may move it up or down only).
QStringList offItsSides(QWidget *root)
{
    QStringList off;
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (!widget->isVisible() || widget->isWindow() || widget->width() == 0)
            continue;
        const QRect at(widget->mapTo(root, QPoint(0, 0)), widget->size());
        if (at.left() < 0 || at.right() > root->width())
            off << root->objectName() + " cuts off " + widget->objectName();
    }
    return off;
}

TEST_F(EveryPage, AtTheSmallestSizeNoControlIsCutOffAndTheShareFieldsStayUsable)
{
    for (const QLocale &language : englishAndChinese) {
        SCOPED_TRACE(language.name().toStdString());
        QLocale::setDefault(language);
        window.reset();
        showWithSampleData();
        finishLogin();
        window->resize(640, 480);
        for (const MainView::Page page : pages) {
            window->selectPage(page);
            QWidget *shown = child<QStackedWidget>("pages")->currentWidget();
            // The page and the banner's title are laid out anew once they show.
            const auto off = [&] { return offItsSides(shown) + cutWidgets(shown) + cutWidgets(child("banner")); };
            waitFor([&] { return off().isEmpty(); });
            EXPECT_TRUE(off().isEmpty()) << off().join(u'\n').toStdString();
        }
        window->selectPage(MainView::pageLocalShares);
        // Half of a 30-character path or link shows at once.
        for (const char *name : {"pathField", "linkField"}) {
            auto *field = child<QLineEdit>(name);
            ASSERT_TRUE(field);
            const int half = field->fontMetrics().horizontalAdvance(QString(30, u'm')) / 2 + 60;
            EXPECT_TRUE(waitFor([&] { return field->width() >= half; })) << name << " is " << field->width();
        }
    }
}

// The room around what each shown direct child of widget covers: left, top, right and bottom.
QMargins roomAround(const QWidget *widget)
{
    QRect covered;
    for (const QWidget *item : widget->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (item->isVisibleTo(widget))
            covered |= item->geometry();
    }
    return {covered.left(), covered.top(), widget->width() - covered.right() - 1, widget->height() - covered.bottom() - 1};
}

TEST_F(EveryPage, TheSharesHeaderEachCardAndEachOfItsRowsKeepTheirRoom)
{
    storeShare(QStringLiteral("CD34"), QStringLiteral("Music"), true);
    showWithSampleData();
    finishLogin();
    window->selectPage(MainView::pageLocalShares);
    ASSERT_TRUE(waitForPostedEvents());

    // The header: 20 above its buttons, 15 before, none below and 5 after them.
    QWidget *header = child("sharesHeader");
    EXPECT_EQ(header->layout()->contentsMargins(), QMargins(15, 20, 5, 0));
    const QMargins headerRoom = roomAround(header);
    EXPECT_EQ(headerRoom.top(), 20);
    EXPECT_EQ(headerRoom.right(), 5);
    EXPECT_EQ(headerRoom.bottom(), 0);

    // Each card holds its share's pane, 140 high, with 10 all round inside the outline and 10
    // more outside it.
    const QList<QWidget *> cards = window->findChildren<QWidget *>(QStringLiteral("shareCard"));
    ASSERT_EQ(cards.size(), 2);
    for (QWidget *card : cards) {
        auto *pane = card->findChild<ViewSharingDetail *>();
        ASSERT_TRUE(pane);
        EXPECT_EQ(pane->height(), 140);
        EXPECT_EQ(pane->geometry(), card->rect().marginsRemoved(QMargins(10, 10, 10, 10)));
        EXPECT_EQ(card->x(), 10);
        EXPECT_EQ(card->parentWidget()->width() - card->geometry().right() - 1, 10);
    }
    const auto [upper, lower] = std::minmax(cards.at(0)->geometry(), cards.at(1)->geometry(),
                                            [](const QRect &a, const QRect &b) { return a.y() < b.y(); });
    EXPECT_EQ(upper.y(), 10);
    EXPECT_EQ(lower.y() - upper.bottom() - 1, 10 + 10);

    // Each row of a card: 10 on every side of its controls.
    ViewSharingDetail *pane = cards.at(0)->findChild<ViewSharingDetail *>();
    for (const char *name : {"pathRow", "accessRow"})
        EXPECT_EQ(roomAround(pane->findChild<QWidget *>(QString::fromLatin1(name))), QMargins(10, 10, 10, 10)) << name;
    // The rights keep to the left, with the same room.
    const QMargins rightsRoom = roomAround(pane->findChild<QWidget *>(QStringLiteral("rightsRow")));
    EXPECT_EQ(rightsRoom.left(), 10);
    EXPECT_EQ(rightsRoom.top(), 10);
    EXPECT_EQ(rightsRoom.bottom(), 10);
}

// Everything a person reads or presses on the login sheet, the banner and each page, at the
// window's usual size in both languages.
TEST_F(EveryPage, InEnglishAndInChineseNothingOnTheSheetTheBannerOrAPageIsCut)
{
    storeShare(QStringLiteral("CD34"), QStringLiteral("Music"), true);
    for (const QLocale &language : englishAndChinese) {
        QLocale::setDefault(language);
        window.reset();
        showWithSampleData();
        QStringList cuts;
        const auto check = [&](const QString &where, QWidget *root) {
            for (const QString &cut : cutWidgets(root))
                cuts << language.name() + u' ' + where + QStringLiteral(": ") + cut;
        };
        check(QStringLiteral("sheet while waiting"), &window->loginSheet());
        tickLogin(3);
        check(QStringLiteral("sheet"), &window->loginSheet());
        finishLogin();
        check(QStringLiteral("banner"), child("banner"));
        for (const MainView::Page page : pages) {
            window->selectPage(page);
            ASSERT_TRUE(waitForPostedEvents());
            QWidget *shown = child<QStackedWidget>("pages")->currentWidget();
            check(shown->objectName(), shown);
        }
        EXPECT_TRUE(cuts.isEmpty()) << cuts.join(u'\n').toStdString();
    }
}

} // namespace
