#include "publish/embed/PageText.h"

#include <gtest/gtest.h>

using publish::PageText;

namespace {

const QString kMarker = QStringLiteral("{brimlo_lumivex}");

QByteArray utf16(const QString& text, bool littleEndian) {
    QByteArray out = littleEndian ? QByteArray("\xFF\xFE", 2) : QByteArray("\xFE\xFF", 2);
    for (QChar c : text) {
        const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
        out.append(littleEndian ? lo : hi);
        out.append(littleEndian ? hi : lo);
    }
    return out;
}

} // namespace

TEST(PageText, DecodesByByteOrderMarkThenUtf8ThenWindows1252) {
    const QString text = QStringLiteral("Café € {BRIMLO_lumivex}");
    struct Case {
        const char* name;
        QByteArray bytes;
        PageText::Encoding encoding;
        QString expected;
    } cases[] = {
        {"utf-8", text.toUtf8(), PageText::Encoding::Utf8, text},
        {"utf-8 bom", "\xEF\xBB\xBF" + text.toUtf8(), PageText::Encoding::Utf8Bom, text},
        {"utf-16 le", utf16(text, true), PageText::Encoding::Utf16LE, text},
        {"utf-16 be", utf16(text, false), PageText::Encoding::Utf16BE, text},
        {"windows-1252", QByteArray("Caf\xE9 \x80 {BRIMLO_lumivex}"),
         PageText::Encoding::Windows1252, text},
        {"ascii", QByteArray("plain"), PageText::Encoding::Utf8, QStringLiteral("plain")},
        {"unassigned 1252 byte", QByteArray("a\x81z"), PageText::Encoding::Windows1252,
         QString::fromUtf16(u"a\u0081z")},
    };
    for (const Case& c : cases) {
        PageText::Encoding found{};
        EXPECT_EQ(PageText::Decode(c.bytes, &found), c.expected) << c.name;
        EXPECT_EQ(found, c.encoding) << c.name;
    }
}

TEST(PageText, SplitsAtTheFirstMarkerIgnoringLetterCase) {
    struct Case {
        const char* name;
        QStringList lines;
        QStringList upper;
        QStringList lower;
    } cases[] = {
        {"mixed case mid-line",
         {"<p>A{BRIMLO_LUMIVEX}B</p>", "second {brimlo_lumivex}"},
         {"<p>A"},
         {"B</p>", "second {brimlo_lumivex}"}},
        {"start of first line", {"{Brimlo_Lumivex}rest"}, {""}, {"rest"}},
        {"end of line", {"a", "b{brimlo_lumivex}", "c"}, {"a", "b"}, {"", "c"}},
        // Upper-casing "ß" gives "SS": the cut must still fall where the marker is.
        {"sharp s before it",
         {QStringLiteral("Straße {brimlo_lumivex} x")},
         {QStringLiteral("Straße ")},
         {" x"}},
        {"dotless i before it",
         {QStringLiteral("ıİ{BRIMLO_LUMIVEX}ß")},
         {QStringLiteral("ıİ")},
         {QStringLiteral("ß")}},
    };
    for (const Case& c : cases) {
        const std::optional<PageText::Parts> parts = PageText::SplitAtMarker(c.lines, kMarker);
        ASSERT_TRUE(parts.has_value()) << c.name;
        EXPECT_EQ(parts->Upper, c.upper) << c.name;
        EXPECT_EQ(parts->Lower, c.lower) << c.name;
    }
}

TEST(PageText, PageWithoutMarkerHasNoParts) {
    EXPECT_FALSE(PageText::HasMarker({"{brimlo_lumivex", "brimlo_lumivex}"}, kMarker));
    EXPECT_FALSE(PageText::HasMarker({}, kMarker));
    EXPECT_FALSE(PageText::SplitAtMarker({"x"}, QString()).has_value());
}

TEST(PageText, LinesEndAtCrLfOrEitherAlone) {
    struct Case {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\rb\nc\r\n\r\n", {"a", "b", "c", ""}},
        {"\n", {""}},
        {"a\n\rb", {"a", "", "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PageText::SplitLines(QString::fromLatin1(c.text)), c.lines) << c.text;
}

TEST(PageText, ComposedPageEndsEveryLineWithCrLfInUtf8WithoutBom) {
    const QByteArray bytes =
        PageText::Compose({"<p>A", QStringLiteral("é")}, {"<div>640x480</div>"}, {"B</p>"});
    EXPECT_EQ(bytes, QByteArray("<p>A\r\n\xC3\xA9\r\n<div>640x480</div>\r\nB</p>\r\n"));
    EXPECT_EQ(PageText::Compose({""}, {}, {}), QByteArray("\r\n"));
}

// Every byte a Windows-1252 page may hold comes back as it was, the unassigned ones too; what
// that character set lacks is written as a character reference.
TEST(PageText, Windows1252TextComesBackByteForByte) {
    QByteArray every;
    for (int b = 1; b < 256; ++b)
        every += static_cast<char>(b);
    PageText::Encoding found = PageText::Encoding::Utf8;
    const QString text = PageText::Decode(every, &found);
    ASSERT_EQ(found, PageText::Encoding::Windows1252);
    EXPECT_EQ(PageText::Encode(text, found), every);
    EXPECT_EQ(PageText::Encode(QStringLiteral("\u20ac\u2713\U0001F600\u0080"), found),
              QByteArray("\x80&#x2713;&#x1F600;&#x80;"));
}
