#include "model/TextRoutines.h"

#include <vector>

namespace model {

namespace {

// The length of the well-formed UTF-8 sequence that starts at bytes[i]; 0 when there is none
// (a stray or truncated byte, an overlong form, a surrogate, a code point past U+10FFFF).
int utf8SequenceAt(const QByteArray& bytes, qsizetype i) {
    const auto byteAt = [&bytes](qsizetype k) { return k < bytes.size() ? uchar(bytes[k]) : 0u; };
    const uint lead = byteAt(i);
    if (lead < 0x80)
        return 1;
    int length = 0;
    uint low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        const uint next = byteAt(i + k);
        if (next < (k == 1 ? low : 0x80u) || next > (k == 1 ? high : 0xBFu))
            return 0;
    }
    return length;
}

} // namespace

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
        const int length = utf8SequenceAt(bytes, i);
        const uchar byte = uchar(bytes[i]);
        if (length == 0 || (length == 1 && (byte < 0x20 || byte == 0x7F))) {
            out += QStringLiteral("\\x") +
                   QString::number(byte, 16).toUpper().rightJustified(2, QLatin1Char('0'));
            ++i;
        } else {
            out += QString::fromUtf8(bytes.constData() + i, length);
            i += length;
        }
    }
    return out;
}

} // namespace model
