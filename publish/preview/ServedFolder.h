#pragma once

#include <QString>
#include <QStringList>

namespace publish {

// Which file of one folder a request path names. Nothing above the folder, nothing a link
// leads to outside it, no folder (no listings) and nothing hidden: a name starting with "."
// on the way or at the end, as asked or as resolved, names no file. Safe on any thread.
class ServedFolder {
public:
    // `only`, when not empty, names what of the folder is served, as asked and as resolved:
    // a file ("page.htm") or a folder with all below it ("album/").
    explicit ServedFolder(const QString& folder, const QStringList& only = {});

    bool valid() const { return !root_.isEmpty(); }
    // The canonical path of the file `path` ("/" first, percent-decoded) names, or empty.
    QString fileFor(const QString& path) const;

private:
    static bool hidesOrClimbs(const QString& relative);
    bool admits(const QString& relative) const;

    QString root_; // canonical, with a trailing "/"
    QStringList only_;
};

} // namespace publish
