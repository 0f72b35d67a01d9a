#include "saved_items.h"

#include <QDir>
#include <QRegularExpression>

namespace SavedItems {

QSet<QString> namesIn(const QString &folder)
{
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return QSet<QString>(names.begin(), names.end());
}

namespace {

// "report (3).txt" for "report.txt", "Photos (2)" for "Photos": the name with a number put in
// before its extension (a leading dot is part of the name, not an extension).
bool isNumberedCopy(const QString &candidate, const QString &wanted)
{
    const qsizetype dot = wanted.indexOf(u'.', 1);
    const QString stem = dot < 0 ? wanted : wanted.left(dot);
    const QString extension = dot < 0 ? QString() : wanted.mid(dot);
    static const QRegularExpression number(QStringLiteral(R"(^ \(\d+\)$)"));
    const auto mark = [&](const QString &rest) {
        return candidate.startsWith(stem) && candidate.endsWith(rest) && candidate.size() > stem.size() + rest.size()
               && number.match(candidate.mid(stem.size(), candidate.size() - stem.size() - rest.size())).hasMatch();
    };
    // A folder keeps its dots and takes the number at its end.
    return mark(extension) || mark(QString());
}

} // namespace

QList<Item> arrived(const QStringList &wanted, const QSet<QString> &before, const QSet<QString> &after)
{
    QSet<QString> fresh = after;
    fresh.subtract(before);
    QList<Item> items;
    for (const QString &name : wanted) {
        QString savedAs;
        if (fresh.contains(name)) {
            savedAs = name;
        } else {
            for (const QString &candidate : std::as_const(fresh)) {
                // The lowest number wins, as the bridge tries them in order.
                if (isNumberedCopy(candidate, name) && (savedAs.isEmpty() || candidate.size() < savedAs.size()
                                                         || (candidate.size() == savedAs.size() && candidate < savedAs)))
                    savedAs = candidate;
            }
        }
        if (savedAs.isEmpty())
            continue;
        fresh.remove(savedAs);
        items.append({name, savedAs});
    }
    return items;
}

} // namespace SavedItems
