#pragma once

#include <QtGlobal>

#include <deque>

// How fast a transfer goes: bytes per second over the last few seconds of the byte counts its
// status answers report, so that one slow or quick second does not make the figure jump.
class TransferRate final
{
public:
    // How far back the figure looks.
    static constexpr qint64 windowMs = 5'000;

    // The transfer had copied doneBytes at atMs (a clock in milliseconds).
    void add(qint64 atMs, qint64 doneBytes);
    void reset() { m_samples.clear(); }
    // Bytes per second; nothing known (fewer than two counts a moment apart) gives -1.
    qint64 bytesPerSecond() const;

private:
    struct Sample
    {
        qint64 atMs;
        qint64 bytes;
    };
    std::deque<Sample> m_samples;
};
