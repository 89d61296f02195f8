#include "publish/ftp/ListedUploads.h"

#include "publish/ftp/FtpSession.h"
#include "publish/ftp/RemoteListing.h"

#include <QHash>

namespace publish {

void ListedUploads::add(const QString& name, qint64 bytes) {
    files_.append({name, bytes});
}

void ListedUploads::check(const QStringList& listing) const {
    QHash<QString, QString> lineOf;
    for (const QString& line : listing) {
        const RemoteEntry entry = RemoteListingParser::parseLine(line);
        if (!entry.isDirectory && !entry.name.isEmpty())
            lineOf.insert(entry.name, line);
    }
    for (const File& file : files_) {
        const auto fail = [&file](const QString& why) {
            throw FtpError(QStringLiteral("Uploading \"%1\" failed: %2.").arg(file.name, why));
        };
        const auto line = lineOf.constFind(file.name);
        if (line == lineOf.cend())
            fail(QStringLiteral("the server does not list \"%1\" after %2 bytes were sent")
                     .arg(file.name)
                     .arg(file.bytes));
        const qint64 held = RemoteListingParser::sizeOf(*line);
        if (held < 0)
            fail(QStringLiteral("the server tells neither by SIZE nor in its listing (\"%1\") "
                                "whether it holds all %2 bytes of \"%3\"")
                     .arg(line->trimmed())
                     .arg(file.bytes)
                     .arg(file.name));
        if (held != file.bytes)
            fail(QStringLiteral("the server lists %1 of the %2 bytes, so \"%3\" is incomplete on "
                                "the server")
                     .arg(held)
                     .arg(file.bytes)
                     .arg(file.name));
    }
}

} // namespace publish
