#include "publish/embed/PageText.h"

#include <QStringDecoder>

namespace publish {

namespace {

// Windows-1252 where it differs from Latin-1; the five unassigned bytes keep their C1 code.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        out += QChar(b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char16_t(b));
    }
    return out;
}

std::optional<QString> strictUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QString PageText::Decode(const QByteArray& bytes, Encoding* found) {
    Encoding encoding = Encoding::Utf8;
    QString text;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        encoding = Encoding::Utf8Bom;
        text = QString::fromUtf8(bytes.mid(3));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        encoding = bytes.startsWith("\xFF\xFE") ? Encoding::Utf16LE : Encoding::Utf16BE;
        QStringDecoder decoder(encoding == Encoding::Utf16LE ? QStringDecoder::Utf16LE
                                                             : QStringDecoder::Utf16BE);
        text = decoder.decode(bytes.mid(2));
    } else if (std::optional<QString> utf8 = strictUtf8(bytes)) {
        text = *utf8;
    } else {
        encoding = Encoding::Windows1252;
        text = fromWindows1252(bytes);
    }
    if (found)
        *found = encoding;
    return text;
}

QStringList PageText::SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (c == u'\r' && i + 1 < n && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

std::optional<PageText::Parts> PageText::SplitAtMarker(const QStringList& lines,
                                                       const QString& marker) {
    if (marker.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        // Compared with case folding in place: upper-casing could change the length ("ß").
        const qsizetype at = lines[i].indexOf(marker, 0, Qt::CaseInsensitive);
        if (at < 0)
            continue;
        Parts parts;
        parts.Upper = lines.mid(0, i);
        parts.Upper << lines[i].left(at);
        parts.Lower << lines[i].mid(at + marker.size());
        parts.Lower << lines.mid(i + 1);
        return parts;
    }
    return std::nullopt;
}

bool PageText::HasMarker(const QStringList& lines, const QString& marker) {
    return SplitAtMarker(lines, marker).has_value();
}

QByteArray PageText::Compose(const QStringList& upper, const QStringList& middle,
                             const QStringList& lower) {
    QString text;
    for (const QStringList* part : {&upper, &middle, &lower}) {
        for (const QString& line : *part) {
            text += line;
            text += QStringLiteral("\r\n");
        }
    }
    return text.toUtf8();
}

} // namespace publish
