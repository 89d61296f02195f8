#pragma once

#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

namespace publish {

// One entry of a remote folder as the upload window lists it.
struct RemoteEntry {
    QString name;
    bool isDirectory = false;

    bool operator==(const RemoteEntry&) const = default;
};

using RemoteListing = QList<RemoteEntry>;

// Reads LIST lines as Unix listings: a line starting with "d" is a folder; the name is the
// rest of the line after the eighth blank-separated field, kept verbatim (blanks, commas and
// quotes included), so that the name can be sent back to the server as it is.
class RemoteListingParser {
public:
    // The entry of one line; an empty name when the line has fewer than nine fields.
    static RemoteEntry parseLine(const QString& line);
    // The size of the line's entry (its fifth field); -1 when that is not a number.
    static qint64 sizeOf(const QString& line);
    // Every entry with a name other than "." and "..", folders first, otherwise in line order.
    static RemoteListing parse(const QStringList& lines);
};

} // namespace publish

Q_DECLARE_METATYPE(publish::RemoteListing)
