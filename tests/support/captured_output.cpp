#include "captured_output.h"

#include <gtest/gtest.h>

CapturedOutput::CapturedOutput()
{
    testing::internal::CaptureStdout();
}

CapturedOutput::~CapturedOutput()
{
    if (m_capturing)
        testing::internal::GetCapturedStdout();
}

QStringList CapturedOutput::lines()
{
    QString text;
    if (m_capturing) {
        text = QString::fromStdString(testing::internal::GetCapturedStdout());
        m_capturing = false;
    }
    QStringList result = text.split(u'\n');
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}
