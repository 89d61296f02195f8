// The preview's request filter lets through files of the working folder and what a page makes of
// itself, nothing else: no web address, no link out, no folder beside it that starts the same.

#include "app/pages/WorkingFolderFilter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(WorkingFolderFilter, LetsThroughTheWorkingFolderOnly) {
    QTemporaryDir dir;
    const QString preview = dir.path() + "/Preview/";
    const QString sibling = dir.path() + "/PreviewX/";
    for (const QString& path : {preview + "index.html", preview + "sub/a.jpg", sibling + "b.jpg"}) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(QFile(path).open(QIODevice::WriteOnly));
    }
    QFile::link(sibling + "b.jpg", preview + "link.jpg");
    const app::WorkingFolderFilter filter([&] { return preview; }, nullptr);
    const auto file = &QUrl::fromLocalFile;
    for (const QUrl& url :
         {file(preview + "index.html"), file(preview + "sub/a.jpg"), QUrl("data:text/plain,x"),
          QUrl("about:blank"), QUrl("blob:file:///0c5e0d2a-1111-2222-3333-444455556666")})
        EXPECT_TRUE(filter.allows(url)) << url.toString().toStdString();
    for (const QUrl& url :
         {file(sibling + "b.jpg"), file(preview + "link.jpg"), file(preview + "../PreviewX/b.jpg"),
          file(preview.chopped(1)), file("/etc/passwd"), QUrl("http://127.0.0.1:8080/index.html"),
          QUrl("https://example.org/"), QUrl("ws://127.0.0.1:8080/"), QUrl("ftp://127.0.0.1/x"),
          QUrl("file://otherhost" + preview + "index.html")})
        EXPECT_FALSE(filter.allows(url)) << url.toString().toStdString();
}

} // namespace
