#include "model/TextRoutines.h"

#include <QByteArrayView>

#include <algorithm>
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

QString VisibleFileName(const QByteArray& bytes) {
    QString out;
    for (qsizetype i = 0; i < bytes.size();) {
        // The sequence the lead byte announces, taken when it is well-formed (the same test
        // the folder listing applies to names).
        const uchar lead = uchar(bytes[i]);
        const qsizetype length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        const QByteArrayView sequence =
            QByteArrayView(bytes).sliced(i, std::min(length, bytes.size() - i));
        if (sequence.size() == length && sequence.isValidUtf8() && lead >= 0x20 && lead != 0x7F) {
            out += QString::fromUtf8(sequence);
            i += length;
        } else {
            out += QStringLiteral("\\x") +
                   QString::number(lead, 16).toUpper().rightJustified(2, QLatin1Char('0'));
            ++i;
        }
    }
    return out;
}

} // namespace model
