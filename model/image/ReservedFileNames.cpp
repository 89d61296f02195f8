#include "model/image/ReservedFileNames.h"

#include <QDir>
#include <QStringList>

namespace model {

ReservedFileNames::ReservedFileNames(const QString& folder) {
    // Any entry blocks a name, folders too, since a file cannot be written over them.
    const QStringList entries = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
    for (const QString& entry : entries)
        taken_.insert(entry.toCaseFolded());
}

QString ReservedFileNames::reserve(const QString& proposed) {
    QString name = proposed;
    if (taken_.contains(name.toCaseFolded())) {
        const qsizetype dot = proposed.lastIndexOf(u'.');
        const QString base = dot < 0 ? proposed : proposed.left(dot);
        const QString extension = dot < 0 ? QString() : proposed.mid(dot);
        for (int n = 1; taken_.contains(name.toCaseFolded()); ++n)
            name = base + QString::asprintf("%.3d", n) + extension;
    }
    taken_.insert(name.toCaseFolded());
    return name;
}

} // namespace model
