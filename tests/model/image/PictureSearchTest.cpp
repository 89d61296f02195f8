#include "model/image/PictureSearch.h"

#include "tests/model/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace model;
using namespace modeltest;

namespace {

QStringList relative(const QStringList& paths, const QString& root) {
    QStringList out;
    for (const QString& p : paths)
        out << p.mid(root.size());
    return out;
}

} // namespace

// Each folder's files in name order ignoring case, then its sub-folders in that order; only
// picture extensions, in any letter case; hidden entries too.
TEST(PictureSearch, FilesBeforeSubFoldersInNameOrderIgnoringCase) {
    TempFolder dir;
    for (const char* name : {"b.JPG", "A.jpeg", "c.txt", "sub/z.gif", "Sub2/a.BMP", "sub/x/y.jpe",
                             "d.Jpg", ".hidden/h.jpg", "e.png", "noext"})
        WriteFile(dir.file(name), "x");
    QStringList found;
    ASSERT_TRUE(FindPictureFiles(dir.path(), found));
    EXPECT_EQ(relative(found, dir.path()), QStringList({"A.jpeg", "b.JPG", "d.Jpg", ".hidden/h.jpg",
                                                        "sub/z.gif", "sub/x/y.jpe", "Sub2/a.BMP"}));
}

// A link back up the tree is not followed, so the search ends; a link to a picture counts.
TEST(PictureSearch, LinkedFoldersAreNotEntered) {
    TempFolder dir;
    WriteFile(dir.file("in/p.jpg"), "x");
    ASSERT_TRUE(QFile::link(dir.path(), dir.file("in/loop")));
    ASSERT_TRUE(QFile::link(dir.file("in/p.jpg"), dir.file("in/q.jpg")));
    QStringList found;
    ASSERT_TRUE(FindPictureFiles(dir.path(), found));
    EXPECT_EQ(relative(found, dir.path()), QStringList({"in/p.jpg", "in/q.jpg"}));
}

TEST(PictureSearch, CancelStopsAndKeepsWhatWasFound) {
    TempFolder dir;
    WriteFile(dir.file("a.jpg"), "x");
    WriteFile(dir.file("s/b.jpg"), "x");
    QStringList found, folders;
    FileProgress callbacks;
    callbacks.currentFolder = [&](const QString& f) { folders << f; };
    callbacks.cancelled = [&] { return folders.size() >= 2; };
    EXPECT_FALSE(FindPictureFiles(dir.path(), found, callbacks));
    EXPECT_EQ(relative(found, dir.path()), QStringList({"a.jpg"}));
    EXPECT_EQ(folders.first(), dir.path());
}
