#include "model/TextRoutines.h"

#include <vector>

namespace model {

QString SlashToBackslash(const QString& path) {
    return QString(path).replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString BackslashToSlash(const QString& path) {
    return QString(path).replace(QLatin1Char('\\'), QLatin1Char('/'));
}

QString RemoveInvalidFileNameChars(const QString& name) {
    static const QString invalid = QStringLiteral("/\\<>*?:|\"");
    QString result;
    result.reserve(name.size());
    for (QChar c : name) {
        if (!invalid.contains(c))
            result += c;
    }
    return result;
}

QString StripTags(const QString& text) {
    // One pass: the output keeps the positions of its still-open "<"; a ">" cuts the output
    // back to the latest of them, which is what deleting spans one by one and rescanning
    // from the start would leave.
    QString out;
    out.reserve(text.size());
    std::vector<qsizetype> open;
    for (QChar c : text) {
        if (c == QLatin1Char('>') && !open.empty()) {
            out.truncate(open.back());
            open.pop_back();
            continue;
        }
        if (c == QLatin1Char('<'))
            open.push_back(out.size());
        out += c;
    }
    return out;
}

} // namespace model
