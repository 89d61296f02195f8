// The preview's request filter lets through files of the working folder and what a page makes of
// itself, nothing else: no web address of any kind, no file beside the folder whose folder name
// begins the same, no link out of it.

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
    QDir().mkpath(preview + "sub");
    QDir().mkpath(sibling);
    for (const QString& path : {preview + "index.html", preview + "sub/a.jpg", sibling + "b.jpg"}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QFile::link(sibling + "b.jpg", preview + "link.jpg");
    app::WorkingFolderFilter filter([&] { return preview; }, nullptr);
    const struct {
        QUrl url;
        bool allowed;
    } rows[] = {
        {QUrl::fromLocalFile(preview + "index.html"), true},
        {QUrl::fromLocalFile(preview + "sub/a.jpg"), true},
        {QUrl("data:text/plain,x"), true},
        {QUrl("blob:file:///0c5e0d2a-1111-2222-3333-444455556666"), true},
        {QUrl("about:blank"), true},
        {QUrl::fromLocalFile(sibling + "b.jpg"), false},
        {QUrl::fromLocalFile(preview + "link.jpg"), false},
        {QUrl::fromLocalFile(preview + "../PreviewX/b.jpg"), false},
        {QUrl::fromLocalFile(preview.chopped(1)), false},
        {QUrl::fromLocalFile("/etc/passwd"), false},
        {QUrl("http://127.0.0.1:8080/index.html"), false},
        {QUrl("https://example.org/"), false},
        {QUrl("ws://127.0.0.1:8080/"), false},
        {QUrl("ftp://127.0.0.1/x"), false},
        {QUrl("file://otherhost" + preview + "index.html"), false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(filter.allows(row.url), row.allowed) << row.url.toString().toStdString();
}

} // namespace
