#include "private_network.h"

#include "child_test_run.h"
#include "loopback_interface.h"

#include <gtest/gtest.h>

namespace {

const char *const insideVariable = "FENMAR_PRIVATE_NETWORK";

// --kill-child: whatever the case leaves running ends with it.
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
    if (!ChildTestRun::commandWorks(privateNamespaces))
        GTEST_SKIP() << "this machine gives no private user, process and network namespace (unshare -Urpfn)";
    ChildTestRun::expectPassed(
        ChildTestRun::run(privateNamespaces, {{QString::fromLatin1(insideVariable), QStringLiteral("1")}}),
        "in private namespaces");
}

} // namespace PrivateNetwork
