#pragma once

#include <QString>

// Every test case runs with a HOME of its own, so that nothing a test writes (the database under
// Documents, the stand-in bridge's accounts) reaches the real home folder or the next case, also
// when the whole executable runs as one process.
namespace TestHome {

// Makes a fresh temporary folder and points HOME and the XDG folders into it.
void setUp();

// Removes the folder made by setUp().
void tearDown();

// The temporary HOME of the running test case.
QString path();

// Runs after every test case, before its HOME goes: puts process-wide state back (an open
// database, the bridge layer's values) so that the next case starts as a fresh process would.
void addAfterEachTest(void (*reset)());

// Runs the tests with a Qt application of type App already constructed.
template <class App>
int runAll(int argc, char **argv);

} // namespace TestHome

#include "test_home_run.h"
