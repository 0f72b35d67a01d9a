#include "small_disk.h"

#include "private_network.h"
#include "test_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

const char *const folderVariable = "FENMAR_SMALL_DISK";

QString fillerPath()
{
    return SmallDisk::folder() + QStringLiteral("/.filler");
}

} // namespace

namespace SmallDisk {

QString folder()
{
    // The child is also a private network: the first look brings its loopback up.
    return PrivateNetwork::inside() ? qEnvironmentVariable(folderVariable) : QString();
}

void runThisTestOnIt(int kib)
{
    if (!PrivateNetwork::available())
        GTEST_SKIP() << "this machine gives no private user, mount, process and network namespace "
                        "(unshare -Urpfn --mount-proc)";
    const QString mountPoint = TestHome::path() + QStringLiteral("/small-disk");
    ASSERT_TRUE(QDir().mkpath(mountPoint));

    // Exit code 125: the namespace came, but no tmpfs could be mounted in it.
    const QString script = QStringLiteral("mount -t tmpfs -o size=\"$1\"k tmpfs \"$%1\" || exit 125; shift; exec \"$@\"")
                               .arg(QString::fromLatin1(folderVariable));
    const ChildTestRun::Outcome outcome = PrivateNetwork::run(
        {QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"), QString::number(kib)},
        {{QString::fromLatin1(folderVariable), mountPoint}});
    if (outcome.ended && outcome.exitStatus == QProcess::NormalExit && outcome.exitCode == 125)
        GTEST_SKIP() << "no tmpfs can be mounted here: " << outcome.output.toStdString();
    ChildTestRun::expectPassed(outcome, "on a small disk");
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
