// Input checks, random codes, and the size and time texts shown in file lists.
#include "util_system.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <array>

namespace {

// Same as a whole-text "MATCHES" predicate: the pattern must cover the entire text.
bool matchesWhole(const QRegularExpression &pattern, const QString &s)
{
    return pattern.match(s).hasMatch();
}

QRegularExpression wholeText(const QString &pattern)
{
    return QRegularExpression(QRegularExpression::anchoredPattern(pattern));
}

// Made once, read only afterwards, so workers and views may share it.
const QLocale &sharedDateFormatter()
{
    static const QLocale formatter = QLocale::system();
    return formatter;
}

} // namespace

bool UtilSystem::isValidTag(const QString &s)
{
    static const QRegularExpression pattern = wholeText(QStringLiteral("^[0-9A-Za-z]{1,30}$"));
    return matchesWhole(pattern, s);
}

bool UtilSystem::isValidEmail(const QString &s)
{
    if (s.isEmpty())
        return false;
    // Top-level domains run from two letters up to the 63 a DNS label may hold (.museum, .design).
    static const QRegularExpression pattern =
        wholeText(QStringLiteral("[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\\.[A-Za-z]{2,63}"));
    return matchesWhole(pattern, s);
}

bool UtilSystem::isValidAlnum(const QString &s, int min, int max)
{
    // Bounds that make no range would give a broken or literal pattern instead of a check.
    if (min < 0 || max < min)
        return false;
    const QRegularExpression pattern =
        wholeText(QStringLiteral("^[0-9A-Za-z]{%1,%2}$").arg(min).arg(max));
    return matchesWhole(pattern, s);
}

QString UtilSystem::randomString(int len)
{
    static const QString alphabet = QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QString code;
    // One more character than asked for: share tags are four characters long because of it.
    for (int i = 0; i <= len; ++i) {
        const quint32 value = QRandomGenerator::system()->generate();
        code.append(alphabet.at(int(value % quint32(alphabet.size()))));
    }
    return code;
}

QString UtilSystem::formatFileSize(std::uint64_t bytes)
{
    static const std::array<const char *, 9> units = {"bytes", "KB", "MB", "GB", "TB",
                                                      "PB",    "EB", "ZB", "YB"};
    double value = double(bytes);
    std::size_t unit = 0;
    // From 1025 bytes on; a value of exactly 1024.0 is shown as it is, not divided again.
    if (bytes >= 1025) {
        while (value > 1024.0 && unit + 1 < units.size()) {
            value *= 1.0 / 1024.0;
            ++unit;
        }
    }
    // QString::number always writes "." whatever the user's locale.
    return QString::number(value, 'f', 2) + u' ' + QLatin1String(units[unit]);
}

QString UtilSystem::formatTime(qint64 t)
{
    const QString digits = QString::number(t);
    const qsizetype digitCount = digits.size() - (t < 0 ? 1 : 0);
    // Peers write times in milliseconds (13 digits today); 14-character values were always read so.
    const qint64 divisor = (digitCount == 13 || digits.size() == 14) ? 1000 : 1;
    const qint64 seconds = t / divisor;
    // File times travel as the wall-clock time where the file lives, written as if it were UTC
    // (see getFileTime). Read back the same way, the text shows that wall-clock time in every
    // zone instead of shifting it by this machine's offset a second time.
    const QDateTime moment = QDateTime::fromSecsSinceEpoch(seconds, Qt::UTC);
    return sharedDateFormatter().toString(moment, QLocale::ShortFormat);
}
