#pragma once

#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <string>

// Lines written to standard output while it exists (or until lines() is called). Blank lines in
// between are kept; the newline that ends the last line makes no line of its own. A failure
// reported while it captures is printed where it happens, and is none of the captured lines.
class CapturedOutput final
{
public:
    CapturedOutput();
    ~CapturedOutput();
    Q_DISABLE_COPY_MOVE(CapturedOutput)
    QStringList lines();
    // What was written, as written. Like lines(), it ends the capture and takes what it holds.
    std::string text();

    // Runs print with standard output as it was before the running capture, if any.
    static void bypass(const std::function<void()> &print);

private:
    void stop();

    bool m_capturing = true;
    std::string m_text;
};
