#pragma once

#include <QStringList>
#include <QtGlobal>

// Lines written to standard output while it exists (or until lines() is called). Blank lines in
// between are kept; the newline that ends the last line makes no line of its own.
class CapturedOutput final
{
public:
    CapturedOutput();
    ~CapturedOutput();
    Q_DISABLE_COPY_MOVE(CapturedOutput)
    QStringList lines();

private:
    bool m_capturing = true;
};
