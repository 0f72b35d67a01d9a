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

// Runs the current case again in the child, with the folder a file system of type mounted there
// with options.
void runOnFreshMount(const QString &type, const QString &options)
{
    if (!PrivateNetwork::available())
        GTEST_SKIP() << "this machine gives no private user, mount, process and network namespace "
                        "(unshare -Urpfn --mount-proc)";
    const QString mountPoint = TestHome::path() + QStringLiteral("/small-disk");
    ASSERT_TRUE(QDir().mkpath(mountPoint));

    // Exit code 125: the namespace came, but the file system could not be mounted in it.
    const QString script = QStringLiteral("mount -t \"$1\" -o \"$2\" \"$1\" \"$%1\" || exit 125; shift 2; exec \"$@\"")
                               .arg(QString::fromLatin1(folderVariable));
    const ChildTestRun::Outcome outcome = PrivateNetwork::run(
        {QStringLiteral("sh"), QStringLiteral("-c"), script, QStringLiteral("sh"), type, options},
        {{QString::fromLatin1(folderVariable), mountPoint}});
    if (outcome.ended && outcome.exitStatus == QProcess::NormalExit && outcome.exitCode == 125)
        GTEST_SKIP() << "no " << type.toStdString() << " can be mounted here: " << outcome.output.toStdString();
    ChildTestRun::expectPassed(outcome, qPrintable(QStringLiteral("on a %1").arg(type)));
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
    runOnFreshMount(QStringLiteral("tmpfs"), QStringLiteral("size=%1k").arg(kib));
}

void runThisTestOnRamfs()
{
    runOnFreshMount(QStringLiteral("ramfs"), QStringLiteral("mode=0755"));
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
