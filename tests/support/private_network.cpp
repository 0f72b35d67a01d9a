#include "private_network.h"

#include "loopback_interface.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// Holds the namespaces of the process that started the child, for the child to tell its own apart.
const char *const insideVariable = "FENMAR_PRIVATE_NETWORK";

// The network and process namespaces of this process, as the kernel names them ("net:[…]").
QStringList ownNamespaces()
{
    QStringList names;
    for (const char *link : {"/proc/self/ns/net", "/proc/self/ns/pid"}) {
        char target[64];
        const ssize_t length = ::readlink(link, target, sizeof target);
        names << (length > 0 ? QString::fromLatin1(target, length) : QString());
    }
    return names;
}

// --mount-proc gives the child a mount namespace too; --kill-child: whatever the case leaves
// running ends with it.
const QStringList privateNamespaces = {QStringLiteral("unshare"), QStringLiteral("-Urpfn"),
                                       QStringLiteral("--mount-proc"), QStringLiteral("--kill-child")};

} // namespace

namespace PrivateNetwork {

bool inside()
{
    const QStringList outer = qEnvironmentVariable(insideVariable).split(u' ');
    if (outer.size() != 2)
        return false;
    const QStringList own = ownNamespaces();
    for (int i = 0; i < 2; ++i) {
        EXPECT_FALSE(own.at(i).isEmpty());
        EXPECT_NE(own.at(i).toStdString(), outer.at(i).toStdString()) << "the child has namespaces of its own";
    }
    static const bool up = bringLoopbackUp();
    EXPECT_TRUE(up) << "the loopback interface of the private network is up";
    return true;
}

void runThisTestInside()
{
    if (!available())
        GTEST_SKIP() << "this machine gives no private user, process and network namespace (unshare -Urpfn)";
    ChildTestRun::expectPassed(run({}, {}), "in private namespaces");
}

bool available()
{
    return ChildTestRun::commandWorks(privateNamespaces);
}

ChildTestRun::Outcome run(const QStringList &prepare, const QMap<QString, QString> &environment)
{
    QMap<QString, QString> inChild = environment;
    inChild.insert(QString::fromLatin1(insideVariable), ownNamespaces().join(u' '));
    return ChildTestRun::run(privateNamespaces + prepare, inChild);
}

} // namespace PrivateNetwork
