#pragma once

#include <QString>

// Every test process runs with a HOME of its own, so that nothing a test writes
// (the database under Documents, the stand-in bridge's accounts) reaches the real home folder.
namespace TestHome {

// Makes a fresh temporary folder and points HOME and the XDG folders into it.
// Call before the Qt application object is made.
void setUp();

// Removes the folder made by setUp().
void tearDown();

// The temporary HOME of this process.
QString path();

// Runs the tests with a Qt application of type App already constructed.
template <class App>
int runAll(int argc, char **argv);

} // namespace TestHome

#include "test_home_run.h"
