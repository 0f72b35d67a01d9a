#include "private_network.h"

#include "loopback_interface.h"

#include <gtest/gtest.h>

namespace {

const char *const insideVariable = "FENMAR_PRIVATE_NETWORK";

// --mount-proc gives the child a mount namespace too; --kill-child: whatever the case leaves
// running ends with it.
const QStringList privateNamespaces = {QStringLiteral("unshare"), QStringLiteral("-Urpfn"),
                                       QStringLiteral("--mount-proc"), QStringLiteral("--kill-child")};

} // namespace

namespace PrivateNetwork {

bool inside()
{
    if (qEnvironmentVariable(insideVariable) != u"1")
        return false;
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
    inChild.insert(QString::fromLatin1(insideVariable), QStringLiteral("1"));
    return ChildTestRun::run(privateNamespaces + prepare, inChild);
}

} // namespace PrivateNetwork
