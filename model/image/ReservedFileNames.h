#pragma once

#include <QSet>
#include <QString>

namespace model {

// Unique file names in one folder, handed out before any of the files is written so that work
// running at once never races for a name and the names follow the order they were asked for.
// A name is free when no entry of the folder (read once, folders too) and no earlier
// reservation takes it, ignoring letter case.
class ReservedFileNames {
public:
    explicit ReservedFileNames(const QString& folder);

    // proposed, or base + "001", "002", ... + extension, whichever is free first; it is then
    // taken.
    QString reserve(const QString& proposed);

private:
    QSet<QString> taken_;
};

} // namespace model
