#include "app/l10n/FilterString.h"

#include "platform/FileDialogFilter.h"

#include <QStringList>

namespace app {

QString FilterString::toQt(const QString& vclFilter) {
    // The one conversion, the same the file dialogs themselves use.
    return platform::fileDialogFilter(vclFilter);
}

QString FilterString::pattern(const QString& vclFilter, int index) {
    const QStringList parts = vclFilter.split(u'|');
    const qsizetype at = qsizetype(index) * 2 - 1;
    if (index < 1 || at >= parts.size())
        return {};
    return parts[at].split(u';').value(0).trimmed();
}

} // namespace app
