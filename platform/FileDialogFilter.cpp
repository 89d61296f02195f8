#include "platform/FileDialogFilter.h"

#include <QStringList>

namespace platform {

namespace {

QString withoutTrailingParentheses(const QString& description) {
    QString text = description.trimmed();
    if (text.endsWith(QLatin1Char(')'))) {
        const qsizetype open = text.lastIndexOf(QLatin1Char('('));
        if (open >= 0)
            text = text.left(open).trimmed();
    }
    return text;
}

} // namespace

QString fileDialogFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty())
                patterns << trimmed;
        }
        if (patterns.isEmpty())
            continue;
        const QString joined = patterns.join(QLatin1Char(' '));
        QString description = withoutTrailingParentheses(parts.at(i));
        if (description.isEmpty())
            description = joined;
        entries << description + QStringLiteral(" (") + joined + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace platform
