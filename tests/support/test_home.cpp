#include "test_home.h"

#include <QByteArray>
#include <QDir>

#include <cstdlib>
#include <sys/stat.h>
#include <stdexcept>
#include <vector>

namespace {
QString homePath;

std::vector<void (*)()> &afterEachTest()
{
    static std::vector<void (*)()> resets;
    return resets;
}
}

void TestHome::setUp()
{
    QByteArray pattern = QDir::tempPath().toLocal8Bit() + "/fenmar-test-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary HOME");
    homePath = QString::fromLocal8Bit(pattern);
    const QByteArray home = pattern;
    setenv("HOME", home.constData(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/.config").constData(), 1);
    setenv("XDG_DATA_HOME", (home + "/.local/share").constData(), 1);
    setenv("XDG_CACHE_HOME", (home + "/.cache").constData(), 1);
    const QByteArray runtime = home + "/.runtime";
    mkdir(runtime.constData(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.constData(), 1);
    // user-dirs.dirs under a fresh HOME does not exist, so Documents is $HOME/Documents.
    unsetenv("XDG_DOCUMENTS_DIR");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

void TestHome::tearDown()
{
    if (!homePath.isEmpty() && !std::getenv("FENMAR_KEEP_TEST_HOME"))
        QDir(homePath).removeRecursively();
    homePath.clear();
}

void TestHome::useBuildFoldersUnlessTold()
{
    setenv("FENMAR_TEST_DATA", FENMAR_SOURCE_TEST_DATA, 0);
    setenv("FENMAR_BIN_DIR", FENMAR_BUILT_BIN_DIR, 0);
}

void TestHome::addAfterEachTest(void (*reset)())
{
    afterEachTest().push_back(reset);
}

void TestHome::FreshHomePerTest::OnTestEnd(const ::testing::TestInfo &)
{
    for (auto reset : afterEachTest())
        reset();
    tearDown();
}

QString TestHome::path()
{
    return homePath;
}
