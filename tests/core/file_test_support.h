#pragma once

// Real folders and files for the file list and thumbnail tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class TestFolder final
{
public:
    TestFolder() { EXPECT_TRUE(m_dir.isValid()); }
    // A folder below under, for a file system of the case's own.
    explicit TestFolder(const QString &under) : m_dir(under + QStringLiteral("/folder-XXXXXX"))
    {
        EXPECT_TRUE(m_dir.isValid()) << under.toStdString();
    }

    QString path() const { return m_dir.path(); }
    QString pathOf(const QString &relative) const { return m_dir.path() + u'/' + relative; }

    QString file(const QString &relative, const QByteArray &content = {}) const
    {
        const QString full = pathOf(relative);
        QFile f(full);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << full.toStdString();
        f.write(content);
        return full;
    }

    QString folder(const QString &relative) const
    {
        const QString full = pathOf(relative);
        EXPECT_TRUE(QDir().mkpath(full)) << full.toStdString();
        return full;
    }

private:
    QTemporaryDir m_dir;
};
