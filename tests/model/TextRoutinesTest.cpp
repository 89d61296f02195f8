#include "model/TextRoutines.h"
#include "model/XmlAttributes.h"

#include <QDomDocument>

#include <gtest/gtest.h>

#include <random>

namespace {

// The tag stripping exactly as first described: find the first ">" that has a "<" before it,
// delete from the latest such "<" to it, and start again from the beginning.
QString literalStripTags(QString text) {
    for (;;) {
        qsizetype lastOpen = -1;
        bool deleted = false;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char('<'))
                lastOpen = i;
            else if (text[i] == QLatin1Char('>') && lastOpen >= 0) {
                text.remove(lastOpen, i - lastOpen + 1);
                deleted = true;
                break;
            }
        }
        if (!deleted)
            return text;
    }
}

QDomElement parse(QDomDocument& doc, const char* xml) {
    EXPECT_TRUE(doc.setContent(QByteArray(xml)));
    return doc.documentElement();
}

} // namespace

TEST(StripTags, WorkedExamples) {
    const std::pair<const char*, const char*> cases[] = {
        {"a<b>c", "ac"},
        {"x<y<z>w", "x<yw"},
        {"a>b<c", "a>b<c"},
        {"<<a>>", ""},
        {"no tags at all", "no tags at all"},
        {"<font size=\"12\">Größe</font> ü", "Größe ü"},
        {"", ""},
        {"x<y<z>w>", "x"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(model::StripTags(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(StripTags, AgreesWithTheLiteralRuleOnRandomText) {
    std::mt19937 rng(20240611);
    const QString alphabet = QStringLiteral("<>ab<>");
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(alphabet.size()) - 1);
    for (int round = 0; round < 20000; ++round) {
        QString text;
        for (int i = length(rng); i > 0; --i)
            text += alphabet[pick(rng)];
        ASSERT_EQ(model::StripTags(text), literalStripTags(text)) << text.toStdString();
    }
}

TEST(StripTags, HostileNestingIsHandledInOnePass) {
    // Quadratic rescanning would take minutes here.
    const QString nested = QString(200000, QLatin1Char('<')) + QString(200000, QLatin1Char('>'));
    EXPECT_TRUE(model::StripTags(nested).isEmpty());
    const QString open = QString(300000, QLatin1Char('<')) + QStringLiteral("a");
    EXPECT_EQ(model::StripTags(open), open);
}

TEST(FileNameText, InvalidCharactersGoAndEverythingElseStays) {
    EXPECT_EQ(model::RemoveInvalidFileNameChars(QString::fromUtf8("a/b\\c<d>e*f?g:h|i\"j k é")),
              QString::fromUtf8("abcdefghij k é"));
    EXPECT_EQ(model::RemoveInvalidFileNameChars(QString::fromUtf8("日本 😀.zip")),
              QString::fromUtf8("日本 😀.zip"));
    EXPECT_EQ(model::SlashToBackslash(QStringLiteral("pictavo_images/a b/x.jpg")),
              QStringLiteral("pictavo_images\\a b\\x.jpg"));
    EXPECT_EQ(model::BackslashToSlash(QStringLiteral("pictavo_images\\x.jpg")),
              QStringLiteral("pictavo_images/x.jpg"));
}

// Every byte outside well-formed UTF-8 shows as \xHH; what decodes stays as it is.
TEST(FileNameText, VisibleNamesEscapeWhatIsNotUtf8) {
    const std::pair<QByteArray, QString> cases[] = {
        {"photo.jpg", "photo.jpg"},
        {"caf\xc3\xa9 \xf0\x9f\x93\xb7.jpg", QString::fromUtf8("caf\u00e9 \U0001F4F7.jpg")},
        {"bad\xff.jpg", "bad\\xFF.jpg"},
        {"\xc0\xaf", "\\xC0\\xAF"},                           // overlong "/"
        {"\xed\xa0\x80x", "\\xED\\xA0\\x80x"},                // a surrogate
        {"\xf4\x90\x80\x80", "\\xF4\\x90\\x80\\x80"},         // past U+10FFFF
        {"end\xe2\x82", "end\\xE2\\x82"},                     // cut short
        {QByteArray("a\x01\nb\x7f", 5), "a\\x01\\x0Ab\\x7F"}, // controls
    };
    for (const auto& [bytes, shown] : cases)
        EXPECT_EQ(model::VisibleFileName(bytes), shown) << bytes.toHex().constData();
}

TEST(XmlReaders, AbsentOrUnusableAttributesLeaveTheDefault) {
    QDomDocument doc;
    const QDomElement e =
        parse(doc, "<e n=\"12\" s=\" 12 \" neg=\"-7\" bad=\"abc\" hex=\"0x1F\" dec=\"12.0\" "
                   "big=\"2147483648\" empty=\"\" text=\"Grüße &amp; &lt;b&gt;\"/>");
    const std::pair<const char*, std::optional<int>> ints[] = {
        {"n", 12},
        {"s", 12},
        {"neg", -7},
        {"bad", std::nullopt},
        {"hex", std::nullopt},
        {"dec", std::nullopt},
        {"big", std::nullopt},
        {"empty", std::nullopt},
        {"missing", std::nullopt},
    };
    for (const auto& [name, expected] : ints) {
        int value = 4711;
        const bool ok = model::TryGetAttrInt(e, QString::fromLatin1(name), value);
        EXPECT_EQ(ok, expected.has_value()) << name;
        EXPECT_EQ(value, expected.value_or(4711)) << name;
    }

    QString text = QStringLiteral("default");
    EXPECT_FALSE(model::TryGetAttrStr(e, QStringLiteral("missing"), text));
    EXPECT_EQ(text, QStringLiteral("default"));
    EXPECT_TRUE(model::TryGetAttrStr(e, QStringLiteral("empty"), text));
    EXPECT_EQ(text, QString());
    EXPECT_TRUE(model::TryGetAttrStr(e, QStringLiteral("text"), text));
    EXPECT_EQ(text, QString::fromUtf8("Grüße & <b>"));

    QVariant v(42);
    EXPECT_FALSE(model::TryGetAttrVariant(e, QStringLiteral("missing"), v));
    EXPECT_EQ(v, QVariant(42));
    EXPECT_TRUE(model::TryGetAttrVariant(e, QStringLiteral("n"), v));
    EXPECT_EQ(v.toString(), QStringLiteral("12"));

    int untouched = 1;
    EXPECT_FALSE(model::TryGetAttrInt(QDomElement(), QStringLiteral("n"), untouched));
    EXPECT_EQ(untouched, 1);
}

TEST(XmlReaders, NodeTextOnlyFromTextElements) {
    QDomDocument doc;
    const QDomElement root = parse(doc, "<r>"
                                        "<plain>Hello &amp; bye</plain>"
                                        "<cdata><![CDATA[<b>x</b>]]></cdata>"
                                        "<split><![CDATA[a]]]]><![CDATA[>b]]></split>"
                                        "<commented><!-- c -->text</commented>"
                                        "<empty/>"
                                        "<nested>t<child/></nested>"
                                        "</r>");
    auto textOf = [&](const char* name) -> std::optional<QString> {
        QString value = QStringLiteral("unchanged");
        if (!model::TryGetNodeText(root.firstChildElement(QString::fromLatin1(name)), value)) {
            EXPECT_EQ(value, QStringLiteral("unchanged"));
            return std::nullopt;
        }
        return value;
    };
    EXPECT_EQ(textOf("plain"), QStringLiteral("Hello & bye"));
    EXPECT_EQ(textOf("cdata"), QStringLiteral("<b>x</b>"));
    EXPECT_EQ(textOf("split"), QStringLiteral("a]]>b"));
    EXPECT_EQ(textOf("commented"), QStringLiteral("text"));
    EXPECT_EQ(textOf("empty"), std::nullopt);
    EXPECT_EQ(textOf("nested"), std::nullopt);
    EXPECT_EQ(textOf("absent"), std::nullopt);
}
