#include "delivery_targets.h"

#include "localization.h"
#include "util_system.h"

namespace {

// Enough names to recognise the offer; the count says the rest.
constexpr int namesShown = 4;

} // namespace

namespace DeliveryTargets {

QString summary(const QStringList &paths)
{
    QStringList names;
    for (const QString &path : paths) {
        const QString name = UtilSystem::getFileName(path);
        names << (name.isEmpty() ? path : name);
    }
    if (names.size() == 1)
        return names.first();
    QString shown = names.mid(0, namesShown).join(QStringLiteral(", "));
    if (names.size() > namesShown)
        shown += QStringLiteral(", …");
    return localizedString(QStringLiteral("Contact_SummaryItems")).arg(names.size()).arg(shown);
}

QString localRoot(const QStringList &paths)
{
    QString root;
    for (const QString &path : paths) {
        const QString parent = UtilSystem::getParentPath(UtilSystem::trimEndSeparator(path));
        if (root.isEmpty())
            root = parent;
        else if (parent != root)
            return QString();
    }
    return root;
}

QStringList merged(const QStringList &chosen, const QString &joinedPaths)
{
    QStringList result = chosen;
    for (const QString &path : joinedPaths.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        if (!result.contains(path))
            result << path;
    }
    return result;
}

} // namespace DeliveryTargets
