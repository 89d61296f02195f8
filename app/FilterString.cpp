#include "app/FilterString.h"

#include <QStringList>

namespace app {

QString FilterString::toQt(const QString& vclFilter) {
    const QStringList parts = vclFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = p.trimmed();
            if (!trimmed.isEmpty())
                patterns << trimmed;
        }
        if (patterns.isEmpty())
            continue;
        if (description.endsWith(u')')) {
            const qsizetype open = description.lastIndexOf(u'(');
            if (open >= 0)
                description = description.left(open).trimmed();
        }
        const QString list = patterns.join(u' ');
        filters << (description.isEmpty() ? QStringLiteral("(%1)").arg(list)
                                          : QStringLiteral("%1 (%2)").arg(description, list));
    }
    return filters.join(QStringLiteral(";;"));
}

QString FilterString::pattern(const QString& vclFilter, int index) {
    const QStringList parts = vclFilter.split(u'|');
    const qsizetype at = qsizetype(index) * 2 - 1;
    if (index < 1 || at >= parts.size())
        return {};
    return parts[at].split(u';').value(0).trimmed();
}

} // namespace app
