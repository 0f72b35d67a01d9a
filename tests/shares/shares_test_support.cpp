#include "shares_test_support.h"

#include "env.h"
#include "file_dialog_panels.h"
#include "local_share_store.h"
#include "localization.h"
#include "test_home.h"
#include "util_db.h"

#include <QDir>
#include <QLocale>
#include <QTest>

void SharesUiTest::SetUp()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
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
    Env::resetForTests();
}

QString SharesUiTest::makeFolder(const QString &name)
{
    const QString path = QDir(TestHome::path()).filePath(name);
    EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
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
    return LocalShare_List(tag, false, false).value(0);
}

QString SharesUiTest::rows(const QString &statement)
{
    const DbResult result = UtilDB::query(statement);
    EXPECT_TRUE(result.ok) << result.error.toStdString();
    QStringList lines;
    for (const QStringList &row : result.rows)
        lines << row.join(u'|');
    return lines.join(u' ');
}

QString SharesUiTest::shareRow(const QString &tag)
{
    return rows("select tag, path, password, isenabled, isupload, isdownload, isdir from localshare where tag = '" + tag
                + "'");
}

void SharesUiTest::failInsertsInto(const QString &table, const QString &when)
{
    const QString trigger = QStringLiteral("create trigger fail_%1 before insert on %1 when %2 begin select raise(abort, "
                                           "'disk is full'); end");
    ASSERT_TRUE(UtilDB::exec(trigger.arg(table, when)).ok);
}

QString SharesUiTest::text(const char *key)
{
    return localizedString(LocalizedStringKey(key).stringKey());
}

void SharesUiTest::click(QWidget *widget)
{
    ASSERT_NE(widget, nullptr);
    ASSERT_TRUE(widget->isEnabled());
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}
