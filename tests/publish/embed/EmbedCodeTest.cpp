#include "publish/embed/EmbedCode.h"

#include "model/Errors.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using publish::EmbedCode;
using publish::PublishingValues;

namespace {

PublishingValues values(const QString& width, const QString& height) {
    PublishingValues v;
    v.AlbumWidth = width;
    v.AlbumHeight = height;
    v.BaseFolder = QStringLiteral("pictavo/");
    v.WidthToken = QStringLiteral("%_album_width_%");
    v.HeightToken = QStringLiteral("%_album_height_%");
    v.BaseFolderToken = QStringLiteral("%_album_base_folder_%");
    return v;
}

QString writeFile(const QTemporaryDir& dir, const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("embed_page_nojs.htm"));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(EmbedCode, FillsThePlaceholdersForPercentAndPixelSizes) {
    struct Case {
        const char* width;
        const char* height;
        const char* base;
        const char* line;
        const char* expected;
    } cases[] = {
        {"100%", "480", "pictavo/",
         R"(<embed src="%_album_base_folder_%x.swf" width="%_album_width_%" height="%_album_height_%">)",
         R"(<embed src="pictavo/x.swf" width="100%" height="480">)"},
        // Every exact occurrence, none in other letter case.
        {"100%", "480", "pictavo/", "%_album_width_%|%_album_width_%|%_ALBUM_WIDTH_%",
         "100%|100%|%_ALBUM_WIDTH_%"},
        {"640", "480", "pictavo/", "%_album_width_%x%_album_height_%", "640x480"},
        {"80%", "50%", "http://example.org/pictavo/", "%_album_base_folder_%",
         "http://example.org/pictavo/"},
        // What a placeholder's value brings in is not searched for that placeholder again,
        // but the later placeholders are replaced over the whole line.
        {"(%_album_width_%)", "9", "pictavo/", "%_album_width_%", "(%_album_width_%)"},
        {"%_album_height_%", "9", "pictavo/", "%_album_width_%", "9"},
        // Values land inside attributes: they cannot close one.
        {"1\"><b>", "2", "pictavo/", "w=\"%_album_width_%\"", "w=\"1&quot;&gt;&lt;b&gt;\""},
        {"", "", "pictavo/", "[%_album_width_%][%_album_height_%]", "[][]"},
    };
    for (const Case& c : cases) {
        const QStringList out = EmbedCode::Fill(
            {QString::fromUtf8(c.line)}, values(c.width, c.height), QString::fromUtf8(c.base));
        ASSERT_EQ(out.size(), 1);
        EXPECT_EQ(out[0].toStdString(), c.expected) << c.line;
    }
}

TEST(EmbedCode, FullPathPrefixAcceptsAddressesAndRefusesMarkup) {
    struct Case {
        const char* typed;
        const char* prefix; // nullptr: refused
    } cases[] = {
        {"http://example.org/site", "http://example.org/site/"},
        {"http://example.org/", "http://example.org/"},
        {"  https://example.org/a  ", "https://example.org/a/"},
        {"", "/"},
        {"   ", "/"},
        {"http://example.org/\"><b>", nullptr},
        {"http://exa mple.org/", nullptr},
        {"http://example.org/'x", nullptr},
        {"http://example.org/<", nullptr},
        {"http://example.org/\tx", nullptr},
        {"http://example.org/\x01", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<QString> prefix = EmbedCode::FullPathPrefix(QString::fromUtf8(c.typed));
        if (!c.prefix)
            EXPECT_FALSE(prefix.has_value()) << c.typed;
        else
            EXPECT_EQ(prefix.value_or(QStringLiteral("<refused>")).toStdString(), c.prefix)
                << c.typed;
    }
}

TEST(EmbedCode, TemplateIsReadAsUtf8LinesWithoutByteOrderMark) {
    QTemporaryDir dir;
    const QString path = writeFile(dir, "\xEF\xBB\xBF<p>Gr\xC3\xBC\xC3\x9F"
                                        "e</p>\r\nb\rc\nd\r\n");
    const QStringList lines = EmbedCode::ReadTemplate(path);
    EXPECT_EQ(lines, (QStringList{QStringLiteral("<p>Grüße</p>"), QStringLiteral("b"),
                                  QStringLiteral("c"), QStringLiteral("d")}));
}

TEST(EmbedCode, MissingTemplateIsAFileError) {
    QTemporaryDir dir;
    EXPECT_THROW(EmbedCode::ReadTemplate(dir.filePath(QStringLiteral("gone.htm"))),
                 model::FileError);
}
