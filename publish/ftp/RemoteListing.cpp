#include "publish/ftp/RemoteListing.h"

#include <algorithm>

namespace publish {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

RemoteEntry RemoteListingParser::parseLine(const QString& line) {
    RemoteEntry entry;
    entry.isDirectory = line.startsWith(u'd');
    qsizetype i = 0;
    const qsizetype n = line.size();
    for (int field = 0; field < 8; ++field) {
        while (i < n && isBlank(line[i]))
            ++i;
        if (i == n)
            return entry;
        while (i < n && !isBlank(line[i]))
            ++i;
    }
    while (i < n && isBlank(line[i]))
        ++i;
    QString name = line.mid(i);
    while (name.endsWith(u'\r') || name.endsWith(u'\n'))
        name.chop(1);
    entry.name = name;
    return entry;
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
