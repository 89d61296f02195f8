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
    // Opens the regular file `path` names for reading, without following a link put in its
    // place since its name was resolved: the descriptor (the caller closes it) with the file's
    // size in `size`, or -1.
    int openFile(const QString& path, qint64& size) const;

private:
    static bool hidesOrClimbs(const QString& relative);
    bool admits(const QString& relative) const;

    QString root_; // canonical, with a trailing "/"
    QStringList only_;
};

} // namespace publish
