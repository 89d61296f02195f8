#pragma once

#include <QFileInfoList>
#include <QStringList>

namespace publish {

// The local side of an upload: what a folder holds, in one fixed order (names by their
// bytes) so that the file list and the upload agree. Files and real folders only: special
// files are skipped and a linked folder is never entered.
class LocalFolderWalk {
public:
    static QFileInfoList entries(const QString& folder);
    // Whether the folder's entries can be read (a folder without rights lists as empty).
    static bool canRead(const QString& folder);
    // Every file below `folder`, depth first, as paths relative to it with "/".
    static QStringList collectFiles(const QString& folder);
};

} // namespace publish
