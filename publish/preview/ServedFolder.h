#pragma once

#include <QString>

namespace publish {

// Which file of one folder a request path names. Nothing above the folder, nothing a link
// leads to outside it, no folder (no listings) and nothing hidden: a name starting with "."
// on the way or at the end, as asked or as resolved, names no file. Safe on any thread.
class ServedFolder {
public:
    explicit ServedFolder(const QString& folder);

    bool valid() const { return !root_.isEmpty(); }
    // The canonical path of the file `path` ("/" first, percent-decoded) names, or empty.
    QString fileFor(const QString& path) const;

private:
    static bool hidesOrClimbs(const QString& relative);

    QString root_; // canonical, with a trailing "/"
};

} // namespace publish
