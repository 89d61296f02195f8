#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace publish {

// A user's web page as text: how it is decoded, split into lines and cut at the marker.
class PageText {
public:
    enum class Encoding { Utf8, Utf8Bom, Utf16LE, Utf16BE, Windows1252 };

    // By the byte-order mark (UTF-8, UTF-16 LE or BE); without one as UTF-8 when the bytes
    // are valid UTF-8, else as Windows-1252.
    static QString Decode(const QByteArray& bytes, Encoding* found = nullptr);

    // Lines ended by CR, LF or CR LF; a final line end adds no empty line.
    static QStringList SplitLines(const QString& text);

    // The page cut at the first marker, found ignoring letter case: the lines before it and
    // the text before it on its line go up, the text after it on its line and every later
    // line go down; the marker itself is dropped, later markers stay.
    struct Parts {
        QStringList Upper;
        QStringList Lower;
    };
    static std::optional<Parts> SplitAtMarker(const QStringList& lines, const QString& marker);

    static bool HasMarker(const QStringList& lines, const QString& marker);

    // The address of the page's first <base> element that has one, or empty: relative
    // addresses in the page, the embed code's among them, resolve against it.
    static QString BaseAddress(const QStringList& lines);

    // Text in a page's own encoding, so that what Decode read comes back byte for byte: UTF-8
    // without byte-order mark, or with the mark the page began with; Windows-1252 with any
    // character it lacks written as an HTML character reference.
    static QByteArray Encode(const QString& text, Encoding encoding);

    // Every line of the three parts with CR LF after it, in the page's encoding (UTF-8 without
    // byte-order mark by default).
    static QByteArray Compose(const QStringList& upper, const QStringList& middle,
                              const QStringList& lower, Encoding encoding = Encoding::Utf8);
};

} // namespace publish
