// Every page and sheet of the window at once: under Chinese no interface text is left in English,
// and at the window's smallest size no control is cut off.

#include "app_gui_support.h"

#include "dialog_add_contact.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "remote_sharing.h"
#include "view_sharing_remote_download.h"
#include "view_sharing_remote_edit.h"
#include "view_sharing_remote_file_list.h"
#include "view_sharing_remote_upload.h"

#include <QAbstractButton>
#include <QLabel>
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

// True when text holds an English word once addresses, paths, versions and names are taken out.
bool holdsEnglish(QString text)
{
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

TEST_F(EveryPage, AtTheSmallestSizeNoControlIsCutOffAndTheShareFieldsStayUsable)
{
    showWithSampleData();
    finishLogin();
    window->resize(640, 480);
    for (const MainView::Page page : pages) {
        window->selectPage(page);
        QTest::qWait(30);
        QWidget *shown = child<QStackedWidget>("pages")->currentWidget();
        for (QWidget *widget : shown->findChildren<QWidget *>()) {
            if (!widget->isVisible() || widget->isWindow() || widget->width() == 0)
                continue;
            // Within the page's width (a scroll area may move it up or down only).
            const QRect at(widget->mapTo(shown, QPoint(0, 0)), widget->size());
            EXPECT_LE(at.right(), shown->width()) << (shown->objectName() + " cuts off " + widget->objectName()).toStdString();
            EXPECT_GE(at.left(), 0) << widget->objectName().toStdString();
        }
    }
    window->selectPage(MainView::pageLocalShares);
    QTest::qWait(30);
    // Half of a 30-character path or link shows at once.
    for (const char *name : {"pathField", "linkField"}) {
        auto *field = child<QLineEdit>(name);
        ASSERT_TRUE(field);
        EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(QString(30, u'm')) / 2 + 60) << name;
    }
}

} // namespace
