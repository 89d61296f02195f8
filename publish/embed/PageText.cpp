#include "publish/embed/PageText.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <iterator>

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

QByteArray toWindows1252(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        const auto* high = std::find(std::begin(kCp1252High), std::end(kCp1252High), c);
        if (high != std::end(kCp1252High)) {
            out += static_cast<char>(0x80 + (high - std::begin(kCp1252High)));
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text.at(++i).unicode());
        out += "&#x" + QByteArray::number(uint(code), 16).toUpper() + ';';
    }
    return out;
}

QByteArray toUtf16(const QString& text, bool littleEndian) {
    QByteArray out(littleEndian ? "\xFF\xFE" : "\xFE\xFF", 2);
    out.reserve(2 + 2 * text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const char low = static_cast<char>(u & 0xFF);
        const char high = static_cast<char>(u >> 8);
        out += littleEndian ? low : high;
        out += littleEndian ? high : low;
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

QString PageText::BaseAddress(const QStringList& lines) {
    static const QRegularExpression base(
        QStringLiteral("<base\\s[^>]*?\\bhref\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = base.match(lines.join(u'\n'));
    if (!match.hasMatch())
        return QString();
    for (int i = 1; i <= 3; ++i)
        if (match.capturedStart(i) >= 0)
            return match.captured(i).trimmed();
    return QString();
}

QByteArray PageText::Encode(const QString& text, Encoding encoding) {
    switch (encoding) {
    case Encoding::Utf8:
        break;
    case Encoding::Utf8Bom:
        return "\xEF\xBB\xBF" + text.toUtf8();
    case Encoding::Utf16LE:
    case Encoding::Utf16BE:
        return toUtf16(text, encoding == Encoding::Utf16LE);
    case Encoding::Windows1252:
        return toWindows1252(text);
    }
    return text.toUtf8();
}

QByteArray PageText::Compose(const QStringList& upper, const QStringList& middle,
                             const QStringList& lower, Encoding encoding) {
    QString text;
    for (const QStringList* part : {&upper, &middle, &lower}) {
        for (const QString& line : *part) {
            text += line;
            text += QStringLiteral("\r\n");
        }
    }
    return Encode(text, encoding);
}

} // namespace publish
