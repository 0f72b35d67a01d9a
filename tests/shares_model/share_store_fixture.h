#pragma once

#include "env.h"
#include "local_share_store.h"
#include "sharing_obj.h"
#include "test_home.h"
#include "util_db.h"

#include <gtest/gtest.h>

#include <QDir>

// A fresh database in this test's own HOME. Tests change the account record between calls; the
// store reads it afresh at each call.
class ShareStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UtilDB::openAt(QDir(TestHome::path()).filePath(QStringLiteral("shares.dat"))));
        Env::userInfo.hostname = QStringLiteral("myhost");
    }

    void TearDown() override
    {
        Env::resetForTests();
        UtilDB::close();
    }

    // Stores a share through the store's own insert and gives back what was stored.
    static SharingObjPtr store(const QString &tag, const QString &path, const QString &code = {}, bool isdir = true)
    {
        auto share = std::make_shared<SharingObj>();
        share->setTag(tag);
        share->setPath(path);
        share->setPassword(code);
        share->setIsdir(isdir);
        EXPECT_TRUE(LocalShare_Insert(*share)) << tag.toStdString();
        return share;
    }

    // The one share with this tag as a fresh load shows it; null when it is not stored.
    static SharingObjPtr load(const QString &tag)
    {
        const QList<SharingObjPtr> found = LocalShare_List(tag, false, false);
        EXPECT_LE(found.size(), 1) << tag.toStdString();
        return found.isEmpty() ? nullptr : found.first();
    }

    static QStringList tags(const QList<SharingObjPtr> &shares)
    {
        QStringList result;
        for (const SharingObjPtr &share : shares)
            result << share->tag();
        return result;
    }

    // Statements a test runs to set up what the store itself never writes, and to read what it wrote.
    static void sql(const QString &statement)
    {
        const DbResult result = UtilDB::exec(statement);
        ASSERT_TRUE(result.ok) << result.error.toStdString();
    }
    // Every row that statement gives, its columns joined by "|" and the rows by blanks.
    static QString rows(const QString &statement)
    {
        const DbResult result = UtilDB::query(statement);
        EXPECT_TRUE(result.ok) << result.error.toStdString();
        QStringList lines;
        for (const QStringList &row : result.rows)
            lines << row.join(u'|');
        return lines.join(u' ');
    }

    // Makes every insert into table (that meets when) fail, as a full disk would, from now on.
    static void failInsertsInto(const QString &table, const QString &when = QStringLiteral("1"))
    {
        sql(QStringLiteral("create trigger fail_%1 before insert on %1 when %2 begin select raise(abort, 'disk is full'); end")
                .arg(table, when));
    }
};
