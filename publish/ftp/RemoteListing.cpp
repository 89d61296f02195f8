#include "publish/ftp/RemoteListing.h"

#include <algorithm>

namespace publish {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// Where blank-separated field `field` (from 0) of the line starts; the line's size when it has
// fewer fields.
qsizetype fieldStart(const QString& line, int field) {
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (int f = 0;; ++f) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (f == field || i == n)
            return i;
        while (i < n && !isBlank(line[i]))
            ++i;
    }
}

} // namespace

RemoteEntry RemoteListingParser::parseLine(const QString& line) {
    RemoteEntry entry;
    entry.isDirectory = line.startsWith(u'd');
    QString name = line.mid(fieldStart(line, 8));
    while (name.endsWith(u'\r') || name.endsWith(u'\n'))
        name.chop(1);
    entry.name = name;
    return entry;
}

qint64 RemoteListingParser::sizeOf(const QString& line) {
    const qsizetype start = fieldStart(line, 4);
    qsizetype end = start;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    bool ok = false;
    const qint64 size = line.mid(start, end - start).toLongLong(&ok);
    return ok && size >= 0 ? size : -1;
}

RemoteListing RemoteListingParser::parse(const QStringList& lines) {
    RemoteListing entries;
    for (const QString& line : lines) {
        RemoteEntry entry = parseLine(line);
        if (entry.name.isEmpty() || entry.name == u"." || entry.name == u"..")
            continue;
        entries << entry;
    }
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const RemoteEntry& a, const RemoteEntry& b) { return a.isDirectory && !b.isDirectory; });
    return entries;
}

} // namespace publish
