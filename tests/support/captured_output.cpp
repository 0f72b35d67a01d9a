#include "captured_output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <utility>

namespace {

// The capture standard output goes to now; captures do not nest.
CapturedOutput *running = nullptr;

// gtest's own printer, but a failure's message goes past a running capture: into it, the message
// would be reported only where the test reads its lines, or not at all.
class FailuresPrintedWhereTheyHappen final : public testing::TestEventListener
{
public:
    explicit FailuresPrintedWhereTheyHappen(testing::TestEventListener *printer) : m_printer(printer) {}

    void OnTestPartResult(const testing::TestPartResult &result) override
    {
        CapturedOutput::bypass([&] { m_printer->OnTestPartResult(result); });
    }

    void OnTestProgramStart(const testing::UnitTest &test) override { m_printer->OnTestProgramStart(test); }
    void OnTestIterationStart(const testing::UnitTest &test, int i) override { m_printer->OnTestIterationStart(test, i); }
    void OnEnvironmentsSetUpStart(const testing::UnitTest &test) override { m_printer->OnEnvironmentsSetUpStart(test); }
    void OnEnvironmentsSetUpEnd(const testing::UnitTest &test) override { m_printer->OnEnvironmentsSetUpEnd(test); }
    void OnTestSuiteStart(const testing::TestSuite &suite) override { m_printer->OnTestSuiteStart(suite); }
    void OnTestStart(const testing::TestInfo &info) override { m_printer->OnTestStart(info); }
    void OnTestDisabled(const testing::TestInfo &info) override { m_printer->OnTestDisabled(info); }
    void OnTestEnd(const testing::TestInfo &info) override { m_printer->OnTestEnd(info); }
    void OnTestSuiteEnd(const testing::TestSuite &suite) override { m_printer->OnTestSuiteEnd(suite); }
    void OnEnvironmentsTearDownStart(const testing::UnitTest &test) override { m_printer->OnEnvironmentsTearDownStart(test); }
    void OnEnvironmentsTearDownEnd(const testing::UnitTest &test) override { m_printer->OnEnvironmentsTearDownEnd(test); }
    void OnTestIterationEnd(const testing::UnitTest &test, int i) override { m_printer->OnTestIterationEnd(test, i); }
    void OnTestProgramEnd(const testing::UnitTest &test) override { m_printer->OnTestProgramEnd(test); }

private:
    std::unique_ptr<testing::TestEventListener> m_printer;
};

void printFailuresPastCaptures()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    testing::TestEventListeners &listeners = testing::UnitTest::GetInstance()->listeners();
    if (testing::TestEventListener *printer = listeners.Release(listeners.default_result_printer()))
        listeners.Append(new FailuresPrintedWhereTheyHappen(printer));
}

} // namespace

CapturedOutput::CapturedOutput()
{
    printFailuresPastCaptures();
    running = this;
    testing::internal::CaptureStdout();
}

CapturedOutput::~CapturedOutput()
{
    stop();
}

void CapturedOutput::stop()
{
    if (!m_capturing)
        return;
    m_text += testing::internal::GetCapturedStdout();
    m_capturing = false;
    if (running == this)
        running = nullptr;
}

std::string CapturedOutput::text()
{
    stop();
    return std::exchange(m_text, std::string());
}

QStringList CapturedOutput::lines()
{
    QStringList result = QString::fromStdString(text()).split(u'\n');
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

void CapturedOutput::bypass(const std::function<void()> &print)
{
    CapturedOutput *capture = running;
    if (!capture) {
        print();
        return;
    }
    capture->stop();
    print();
    std::fflush(stdout);
    capture->m_capturing = true;
    running = capture;
    testing::internal::CaptureStdout();
}
