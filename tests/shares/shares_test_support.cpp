#include "shares_test_support.h"

#include "dialog_confirm_setting.h"
#include "dialog_confirm_view.h"
#include "dialog_input_setting.h"
#include "dialog_input_view.h"
#include "env.h"
#include "file_dialog_panels.h"
#include "local_share_store.h"
#include "localization.h"
#include "test_home.h"
#include "theme.h"
#include "toast_overlay.h"
#include "util_db.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTest>

TestMainWindow::TestMainWindow()
    : m_confirmSetting(new DialogConfirmSetting(this)), m_inputSetting(new DialogInput_Setting(this)),
      m_confirmView(new DialogConfirmView(m_confirmSetting, this)), m_inputView(new DialogInputView(m_inputSetting, true, this)),
      m_toastOverlay(new ToastOverlay(this, ToastOverlay::kMainWindowDuration))
{
    resize(960, 600);
    MainViewUi::setCurrent(this);
}

TestMainWindow::~TestMainWindow() = default;

void TestMainWindow::presentToast(const AlertToast &toast)
{
    toasts.append(toast);
    m_toastOverlay->present(toast);
}

void TestMainWindow::showConfirmDialog()
{
    m_confirmView->open();
}

void TestMainWindow::showInputDialog()
{
    m_inputView->open();
}

void SharesUiTest::SetUp()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    Theme::applyToApplication(*qApp);
    ASSERT_TRUE(UtilDB::openAt(QDir(TestHome::path()).filePath(QStringLiteral("shares.dat"))));
    Env::userInfo.id_acc = 7;
    Env::userInfo.hostname = QStringLiteral("myhost");
    Env::userInfo.maxsharecount = 10;
    registerFileDialogPanels();
    FileDialogPanels::clearNextAnswer();
    urls = std::make_unique<UrlCatcher>();
    window = std::make_unique<TestMainWindow>();
}

void SharesUiTest::TearDown()
{
    window.reset();
    urls.reset();
    Env::resetForTests();
    UtilDB::close();
}

QString SharesUiTest::makeFolder(const QString &name)
{
    const QString path = QDir(TestHome::path()).filePath(name);
    EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
    return path;
}

QString SharesUiTest::makeFile(const QString &name)
{
    const QString path = QDir(TestHome::path()).filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write("content") == 7) << path.toStdString();
    return path;
}

SharingObjPtr SharesUiTest::storeShare(const QString &tag, const QString &path, const QString &code, bool isdir,
                                       bool isDefault)
{
    SharingObj share;
    share.setTag(tag);
    share.setPath(path);
    share.setPassword(code);
    share.setIsdir(isdir);
    share.setIsDefault(isDefault);
    EXPECT_TRUE(LocalShare_Insert(share)) << tag.toStdString();
    const QList<SharingObjPtr> loaded = LocalShare_List(tag, false, false);
    return loaded.isEmpty() ? nullptr : loaded.first();
}

QStringList SharesUiTest::shareRow(const QString &tag)
{
    const DbResult result = UtilDB::query(
        QStringLiteral("select tag, path, password, isenabled, isupload, isdownload, isdir from localshare where tag = ?"),
        {tag});
    EXPECT_TRUE(result.ok) << result.error.toStdString();
    EXPECT_LE(result.rows.size(), 1) << tag.toStdString();
    return result.rows.isEmpty() ? QStringList() : result.rows.first();
}

int SharesUiTest::shareCount()
{
    return UtilDB::getValue(QStringLiteral("select count(*) from localshare")).value_or(QStringLiteral("-1")).toInt();
}

QString SharesUiTest::setting(const QString &tag, const QString &key)
{
    return UtilDB::getValue(QStringLiteral("select value from localshare_ext where tag = ? and key = ?"), {tag, key})
        .value_or(QString());
}

QStringList SharesUiTest::defaultTags()
{
    const DbResult result =
        UtilDB::query(QStringLiteral("select tag from localshare_ext where key = 'IsDefault' and value = '1' order by tag"));
    QStringList tags;
    for (const QStringList &row : result.rows)
        tags << row.value(0);
    return tags;
}

void SharesUiTest::failInsertsInto(const QString &table)
{
    const DbResult result = UtilDB::exec(
        QStringLiteral("create trigger fail_%1 before insert on %1 begin select raise(abort, 'disk is full'); end").arg(table));
    ASSERT_TRUE(result.ok) << result.error.toStdString();
}

void SharesUiTest::countInserts()
{
    ASSERT_TRUE(UtilDB::exec(QStringLiteral("create table seen_inserts(n)")).ok);
    ASSERT_TRUE(UtilDB::exec(QStringLiteral("create trigger count_inserts after insert on localshare "
                                            "begin insert into seen_inserts values (1); end"))
                    .ok);
}

int SharesUiTest::insertCount()
{
    return UtilDB::getValue(QStringLiteral("select count(*) from seen_inserts")).value_or(QStringLiteral("-1")).toInt();
}

QString SharesUiTest::toastText(const char *key)
{
    return localizedString(LocalizedStringKey(key).stringKey());
}

void SharesUiTest::click(QWidget *widget)
{
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}
