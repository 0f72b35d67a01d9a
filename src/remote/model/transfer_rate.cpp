#include "transfer_rate.h"

void TransferRate::add(qint64 atMs, qint64 doneBytes)
{
    // A count that goes back (a file given up and its bytes taken off) starts the figure again.
    if (!m_samples.empty() && (doneBytes < m_samples.back().bytes || atMs < m_samples.back().atMs))
        m_samples.clear();
    m_samples.push_back({atMs, doneBytes});
    while (m_samples.size() > 2 && atMs - m_samples.front().atMs > windowMs)
        m_samples.pop_front();
}

qint64 TransferRate::bytesPerSecond() const
{
    if (m_samples.size() < 2)
        return -1;
    const qint64 ms = m_samples.back().atMs - m_samples.front().atMs;
    if (ms < 200)
        return -1;
    return (m_samples.back().bytes - m_samples.front().bytes) * 1000 / ms;
}
