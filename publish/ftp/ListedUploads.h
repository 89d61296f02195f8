#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace publish {

// The files sent into one remote folder that the server did not confirm itself (it answers no
// SIZE), with the bytes sent of each. Once the folder's files are sent, one listing of it tells
// whether the server holds them whole: a server can answer that a file is stored and still
// drop bytes it never read.
class ListedUploads {
public:
    void add(const QString& name, qint64 bytes);
    bool isEmpty() const { return files_.isEmpty(); }
    // Throws FtpError for the first file that the LIST lines show short, do not show, or show
    // without a size.
    void check(const QStringList& listing) const;

private:
    struct File {
        QString name;
        qint64 bytes = 0;
    };
    QList<File> files_;
};

} // namespace publish
