#include "small_disk.h"

#include "test_home.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

const char *const folderVariable = "FENMAR_SMALL_DISK";

QString fillerPath()
{
    return SmallDisk::folder() + QStringLiteral("/.filler");
}

bool namespacesAvailable()
{
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {QStringLiteral("-Urm"), QStringLiteral("true")});
    return probe.waitForFinished(5000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

} // namespace

namespace SmallDisk {

QString folder()
{
    return qEnvironmentVariable(folderVariable);
}

void runThisTestOnIt(int kib)
{
    if (!namespacesAvailable())
        GTEST_SKIP() << "this machine gives no private user and mount namespace (unshare -Urm)";
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    const QString mountPoint = TestHome::path() + QStringLiteral("/small-disk");
    ASSERT_TRUE(QDir().mkpath(mountPoint));

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(folderVariable), mountPoint);
    // The child's results stay out of this run's report files.
    env.remove(QStringLiteral("GTEST_OUTPUT"));
    env.remove(QStringLiteral("XML_OUTPUT_FILE"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    // Exit code 125: the namespace came, but no tmpfs could be mounted in it.
    const QString script = QStringLiteral("mount -t tmpfs -o size=\"$1\"k tmpfs \"$%1\" || exit 125; shift; exec \"$@\"")
                               .arg(QString::fromLatin1(folderVariable));
    child.start(QStringLiteral("unshare"),
                {QStringLiteral("-Urm"), QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"),
                 QString::number(kib), QCoreApplication::applicationFilePath(),
                 QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromUtf8(test->test_suite_name()),
                                                           QString::fromUtf8(test->name()))});
    ASSERT_TRUE(child.waitForStarted(5000));
    if (!child.waitForFinished(120'000)) {
        child.kill();
        child.waitForFinished();
        FAIL() << "the run on a small disk did not end: " << child.readAll().toStdString();
    }
    const QByteArray output = child.readAll();
    if (child.exitStatus() == QProcess::NormalExit && child.exitCode() == 125)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << output.toStdString();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    // A case that did not run at all would pass as well: make sure it ran and passed.
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

void fill()
{
    ASSERT_FALSE(folder().isEmpty()) << "only on a small disk";
    QFile filler(fillerPath());
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    // Whatever part of a block still fit.
    while (filler.write(block.constData(), 1) == 1) {
    }
}

void release()
{
    QFile::remove(fillerPath());
}

} // namespace SmallDisk
