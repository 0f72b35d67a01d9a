#pragma once

#include "child_test_run.h"

// Cases that start the stand-in bridge run where nothing else can reach it and it can reach
// nothing else: the running case is run again in a child process inside private user, process and
// network namespaces, whose network is a loopback interface of its own. The stand-in and the client
// (the test process) meet there; everything started inside ends with the child.
//
//     TEST(Area, Case)
//     {
//         if (!PrivateNetwork::inside())
//             return PrivateNetwork::runThisTestInside();
//         ... the case itself, starting the stand-in ...
//     }
namespace PrivateNetwork {

// In the child: true, with the loopback interface up (a failure to bring it up, or a child in the
// network or process namespace of the run that started it, fails the case). False in an ordinary run.
bool inside();

// In an ordinary run: runs the current case again in the child and fails with the child's output
// when the child fails. Skips the case, saying so, where this machine gives no such namespaces.
void runThisTestInside();

// For children that need more set up (a small disk): whether this machine gives these namespaces,
// and the run of the current case in them, started through prepare (a command that sets up the
// child and then runs its arguments; none when empty) with environment added.
bool available();
ChildTestRun::Outcome run(const QStringList &prepare, const QMap<QString, QString> &environment);

} // namespace PrivateNetwork
