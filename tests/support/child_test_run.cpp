#include "child_test_run.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

namespace ChildTestRun {

bool commandWorks(const QStringList &command)
{
    QProcess probe;
    probe.start(command.value(0), command.mid(1) + QStringList{QStringLiteral("true")});
    return probe.waitForFinished(30'000) && probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0;
}

Outcome run(const QStringList &command, const QMap<QString, QString> &environment, int timeoutMs,
            const QString &executable)
{
    const testing::TestInfo *test = testing::UnitTest::GetInstance()->current_test_info();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.cbegin(); it != environment.cend(); ++it)
        env.insert(it.key(), it.value());
    // The child's results stay out of this run's report files.
    env.remove(QStringLiteral("GTEST_OUTPUT"));
    env.remove(QStringLiteral("XML_OUTPUT_FILE"));
    QProcess child;
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    QStringList arguments =
        command
        + QStringList{executable.isEmpty() ? QCoreApplication::applicationFilePath() : executable,
                      QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromUtf8(test->test_suite_name()),
                                                                QString::fromUtf8(test->name()))};
    const QString program = arguments.takeFirst();
    child.start(program, arguments);
    Outcome outcome;
    outcome.started = child.waitForStarted(30'000);
    if (!outcome.started)
        return outcome;
    outcome.ended = child.waitForFinished(timeoutMs);
    if (!outcome.ended) {
        child.kill();
        child.waitForFinished();
    }
    outcome.exitStatus = child.exitStatus();
    outcome.exitCode = child.exitCode();
    outcome.output = child.readAll();
    return outcome;
}

void expectPassed(const Outcome &outcome, const char *what)
{
    const std::string output = outcome.output.toStdString();
    ASSERT_TRUE(outcome.started) << "the run " << what << " did not start";
    ASSERT_TRUE(outcome.ended) << "the run " << what << " did not end: " << output;
    EXPECT_EQ(outcome.exitStatus, QProcess::NormalExit) << output;
    EXPECT_EQ(outcome.exitCode, 0) << output;
    EXPECT_TRUE(outcome.output.contains("[  PASSED  ] 1 test")) << output;
}

} // namespace ChildTestRun
