// The preview's profile lets through the album scheme and what a page makes of itself, nothing
// else: no file, no web address, no other host or port of the scheme, no other page's objects.
// The scheme's addresses name files below the working folder and nothing beside it.

#include "app/pages/AlbumRequestFilter.h"
#include "app/pages/AlbumScheme.h"

#include <gtest/gtest.h>

namespace {

TEST(AlbumRequestFilter, LetsThroughTheAlbumSchemeOnly) {
    for (const char* url :
         {"fotrenza://album/index.html", "fotrenza://album/pictavo_images/a%20b.jpg",
          "fotrenza://album/", "data:text/plain,x", "about:blank",
          "blob:fotrenza://album/0c5e0d2a-1111-2222-3333-444455556666"})
        EXPECT_TRUE(app::AlbumRequestFilter::allows(QUrl(url))) << url;
    for (const char* url :
         {"file:///etc/passwd", "file:///tmp/Preview/index.html", "fotrenza://other/index.html",
          "fotrenza://album:8080/index.html", "fotrenza://me@album/index.html",
          "FOTRENZAX://album/index.html", "http://127.0.0.1:8080/index.html",
          "https://example.org/", "ws://127.0.0.1:8080/", "ftp://127.0.0.1/x", "about:srcdoc",
          "blob:file:///0c5e0d2a-1111-2222-3333-444455556666",
          "blob:https://example.org/0c5e0d2a-1111-2222-3333-444455556666", "mailto:a@example.org",
          "qrc:/index.html", "filesystem:fotrenza://album/temporary/x", "javascript:alert(1)"})
        EXPECT_FALSE(app::AlbumRequestFilter::allows(QUrl(url))) << url;
}

TEST(AlbumScheme, NamesFilesBelowTheWorkingFolderOnly) {
    struct Row {
        const char* file;
        const char* url; // "" for none
    } rows[] = {
        {"/w/Preview/index.html", "fotrenza://album/index.html"},
        {"/w/Preview/a b/c#d?.jpg", "fotrenza://album/a%20b/c%23d%3F.jpg"},
        {"/w/Preview/x/../index.html", "fotrenza://album/index.html"},
        {"/w/Preview/../Thumbs/t.jpg", ""},
        {"/w/PreviewX/index.html", ""},
        {"/w/Preview", ""},
        {"/etc/passwd", ""},
    };
    for (const Row& row : rows) {
        const QUrl url = app::AlbumScheme::urlFor("/w/Preview/", row.file);
        EXPECT_EQ(url.toString(QUrl::FullyEncoded).toStdString(), row.url) << row.file;
        if (!url.isEmpty()) {
            EXPECT_EQ(app::AlbumScheme::pathOf(url),
                      QString(row.file).mid(10).replace("/x/../", "/"));
        }
    }
}

} // namespace
