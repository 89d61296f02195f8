#include "model/FileRoutines.h"

#include "tests/platform/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using model::CopyResult;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

void writeFile(const fs::path& p, const std::string& text = "x") {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry under `root`, relative, folders ending with "/", sorted.
std::vector<std::string> treeOf(const fs::path& root) {
    std::vector<std::string> names;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        std::string rel = fs::relative(it->path(), root).string();
        if (it->is_directory() && !it->is_symlink())
            rel += "/";
        names.push_back(rel);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> relative(const QStringList& list, const std::string& root) {
    std::vector<std::string> out;
    for (const QString& entry : list) {
        std::string e = entry.toStdString();
        EXPECT_EQ(e.rfind(root, 0), 0u) << e;
        out.push_back(e.substr(root.size()));
    }
    return out;
}

} // namespace

TEST(ListFolderEntries, PreOrderWithHiddenEntriesAndLinksAsFiles) {
    testsupport::TempFolder t;
    writeFile(t.path() / "b.txt");
    writeFile(t.path() / "A" / "z.txt");
    writeFile(t.path() / "A" / "sub" / "y.txt");
    writeFile(t.path() / ".hidden");
    fs::create_directory(t.path() / "c-empty");
    fs::create_directory_symlink(t.path() / "A", t.path() / "loop");

    QStringList flat;
    model::ListFolderEntries(q(t.path().string()), flat, false);
    EXPECT_EQ(relative(flat, t.dir()),
              (std::vector<std::string>{".hidden", "A/", "b.txt", "c-empty/", "loop"}));

    QStringList deep;
    model::ListFolderEntries(q(t.dir()), deep, true);
    EXPECT_EQ(relative(deep, t.dir()),
              (std::vector<std::string>{".hidden", "A/", "A/sub/", "A/sub/y.txt", "A/z.txt",
                                        "b.txt", "c-empty/", "loop"}));

    QStringList appended{QStringLiteral("kept")};
    model::ListFolderEntries(q(t.dir() + "missing"), appended, true);
    EXPECT_EQ(appended, QStringList{QStringLiteral("kept")});
}

TEST(ListSubFolders, OnlyVisibleFoldersAndNoDescentThroughLinks) {
    testsupport::TempFolder t;
    writeFile(t.path() / "file.txt");
    writeFile(t.path() / "T1" / "inner" / "x.txt");
    fs::create_directories(t.path() / ".cache" / "deep");
    fs::create_directories(t.path() / "outside" / "below");
    fs::create_directory_symlink(t.path() / "outside", t.path() / "linked");

    QStringList flat;
    model::ListSubFolders(q(t.dir()), flat, false);
    EXPECT_EQ(relative(flat, t.dir()), (std::vector<std::string>{"linked/", "outside/", "T1/"}));
    QStringList deep;
    model::ListSubFolders(q(t.dir()), deep, true);
    EXPECT_EQ(
        relative(deep, t.dir()),
        (std::vector<std::string>{"linked/", "outside/", "outside/below/", "T1/", "T1/inner/"}));
}

TEST(SearchFilesByExt, FindsExtensionsIgnoringCaseAndEndsOnLinkLoops) {
    testsupport::TempFolder t;
    for (const char* name : {"A.JPG", "b.jpe", "c.txt", "noext", "sub/d.jpg", "sub/e.jpeg"})
        writeFile(t.path() / name);
    fs::create_directory_symlink(t.path(), t.path() / "loop");
    fs::create_symlink(t.path() / "A.JPG", t.path() / "sub" / "f.jpg"); // a link to a photo
    ASSERT_EQ(::mkfifo((t.path() / "pipe.jpg").c_str(), 0600), 0);
    const QStringList exts{QStringLiteral(".jpg"), QStringLiteral(".jpe")};

    QStringList found;
    QStringList folders;
    int pumps = 0;
    model::FileProgress callbacks;
    callbacks.currentFolder = [&](const QString& f) { folders << f; };
    callbacks.pump = [&] { ++pumps; };
    EXPECT_TRUE(model::SearchFilesByExt(q(t.path().string()), exts, found, true, callbacks));
    EXPECT_EQ(relative(found, t.dir()),
              (std::vector<std::string>{"A.JPG", "b.jpe", "sub/d.jpg", "sub/f.jpg"}));
    EXPECT_EQ(relative(folders, t.dir()), (std::vector<std::string>{"", "sub/"}));
    EXPECT_EQ(pumps, 2);

    QStringList flat;
    EXPECT_TRUE(model::SearchFilesByExt(q(t.dir()), exts, flat, false));
    EXPECT_EQ(relative(flat, t.dir()), (std::vector<std::string>{"A.JPG", "b.jpe"}));
}

TEST(SearchFilesByExt, CancelStopsAndKeepsWhatWasFound) {
    testsupport::TempFolder t;
    for (const char* name : {"a.jpg", "m/b.jpg", "m/sub/c.jpg", "z.jpg"})
        writeFile(t.path() / name);
    const QStringList exts{QStringLiteral(".jpg")};

    bool cancel = false;
    model::FileProgress callbacks;
    callbacks.cancelled = [&] { return cancel; };
    callbacks.currentFolder = [&](const QString& f) {
        if (f.endsWith(QStringLiteral("/m/")))
            cancel = true;
    };
    QStringList found{QStringLiteral("earlier")};
    EXPECT_FALSE(model::SearchFilesByExt(q(t.dir()), exts, found, true, callbacks));
    EXPECT_EQ(found, (QStringList{QStringLiteral("earlier"), q(t.dir() + "a.jpg")}));

    cancel = true;
    QStringList none;
    EXPECT_FALSE(model::SearchFilesByExt(q(t.dir()), exts, none, true, callbacks));
    EXPECT_TRUE(none.isEmpty());
    cancel = false;
    EXPECT_TRUE(model::SearchFilesByExt(q(t.dir() + "missing/"), exts, none, true, callbacks));
}

TEST(ClearFolder, EmptiesEverythingButNeverFollowsLinks) {
    testsupport::TempFolder t;
    const fs::path folder = t.path() / "T";
    writeFile(folder / "a.txt");
    fs::permissions(folder / "a.txt", fs::perms(0444));
    writeFile(folder / "sub" / "b.txt");
    writeFile(folder / "sub" / "deeper" / "c.txt");
    fs::permissions(folder / "sub" / "deeper", fs::perms(0000));
    fs::permissions(folder / "sub", fs::perms(0555));
    writeFile(folder / ".hidden");
    writeFile(t.path() / "outside" / "keep.txt");
    fs::create_directory_symlink(t.path() / "outside", folder / "lnk");
    fs::create_symlink(t.path() / "outside" / "keep.txt", folder / "filelink");
    ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);

    EXPECT_TRUE(model::ClearFolder(q(folder.string())));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(readFile(t.path() / "outside" / "keep.txt"), "x");

    EXPECT_TRUE(model::ClearFolder(q(t.dir() + "missing/")));
    EXPECT_FALSE(fs::exists(t.path() / "missing"));
}

TEST(ClearFolder, RefusesTheRootTheHomeAndRelativePaths) {
    testsupport::TempUserFolders user;
    writeFile(user.home() + "precious.txt");
    const std::string home = user.home();
    for (const std::string& path :
         {std::string(), std::string("/"), std::string("//"), std::string("/tmp/.."), home,
          home.substr(0, home.size() - 1), home + "./", std::string("relative/")})
        EXPECT_FALSE(model::ClearFolder(q(path))) << path;
    // The home reached through a link is the home too.
    fs::create_directory_symlink(user.home(), user.root().path() / "homelink");
    EXPECT_FALSE(model::ClearFolder(q(user.root().dir() + "homelink/")));
    EXPECT_FALSE(model::RemoveFolderTree(q(home)));
    EXPECT_TRUE(fs::exists(home + "precious.txt"));
}

TEST(CopyFolder, CreatesEmptyFoldersReplacesFilesAndReportsProgress) {
    testsupport::TempFolder t;
    const fs::path src = t.path() / "src";
    const fs::path dst = t.path() / "dst";
    writeFile(src / "x" / "y.txt", "y");
    writeFile(src / "z.txt", "new z");
    fs::create_directories(src / "e");
    writeFile(src / "a" / "1", "1");
    writeFile(src / "a" / "2", "2");
    writeFile(src / "b.txt", "b");
    writeFile(dst / "z.txt", "older z, and longer");
    writeFile(dst / "unrelated.txt", "stays");

    std::vector<int> progress;
    int pumps = 0;
    model::FileProgress callbacks;
    callbacks.progress = [&](int p) { progress.push_back(p); };
    callbacks.pump = [&] { ++pumps; };
    const CopyResult result = model::CopyFolder(q(src.string()), q(dst.string()), callbacks);
    EXPECT_TRUE(result.done());
    EXPECT_TRUE(result.failedPaths.isEmpty());
    // 8 entries: halves go to the even neighbour.
    EXPECT_EQ(progress, (std::vector<int>{12, 25, 38, 50, 62, 75, 88, 100}));
    EXPECT_EQ(pumps, 8);
    EXPECT_EQ(treeOf(dst), (std::vector<std::string>{"a/", "a/1", "a/2", "b.txt", "e/",
                                                     "unrelated.txt", "x/", "x/y.txt", "z.txt"}));
    EXPECT_EQ(readFile(dst / "z.txt"), "new z");
    EXPECT_EQ(readFile(dst / "x" / "y.txt"), "y");
}

TEST(CopyFolder, SkipsSpecialFilesAndNeverWritesThroughLinks) {
    testsupport::TempFolder t;
    const fs::path src = t.path() / "src";
    const fs::path dst = t.path() / "dst";
    writeFile(src / "photo.jpg", "photo");
    writeFile(src / "page.htm", "new page");
    ASSERT_EQ(::mkfifo((src / "pipe").c_str(), 0600), 0);
    writeFile(t.path() / "outside" / "secret.txt", "secret");
    fs::create_directory_symlink(t.path() / "outside", src / "linked");
    fs::create_symlink(src / "photo.jpg", src / "alias.jpg");
    // In the target, "page.htm" is a link to a file of someone else's.
    writeFile(t.path() / "victim.htm", "victim");
    fs::create_directories(dst);
    fs::create_symlink(t.path() / "victim.htm", dst / "page.htm");

    const CopyResult result = model::CopyFolder(q(src.string()), q(dst.string()));
    EXPECT_TRUE(result.done()) << result.failedPaths.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(treeOf(dst), (std::vector<std::string>{"alias.jpg", "page.htm", "photo.jpg"}));
    EXPECT_FALSE(fs::is_symlink(dst / "alias.jpg"));
    EXPECT_EQ(readFile(dst / "alias.jpg"), "photo");
    EXPECT_FALSE(fs::is_symlink(dst / "page.htm"));
    EXPECT_EQ(readFile(dst / "page.htm"), "new page");
    EXPECT_EQ(readFile(t.path() / "victim.htm"), "victim");
}

TEST(CopyFolderCancelable, StopsBeforeTheNextEntryOnceCancelled) {
    testsupport::TempFolder t;
    const fs::path src = t.path() / "src";
    for (const char* name : {"1.txt", "2.txt", "3.txt", "4.txt"})
        writeFile(src / name, name);

    bool cancel = true;
    model::FileProgress callbacks;
    callbacks.cancelled = [&] { return cancel; };
    std::vector<int> progress;
    callbacks.progress = [&](int p) {
        progress.push_back(p);
        if (progress.size() == 2)
            cancel = true;
    };
    CopyResult result = model::CopyFolderCancelable(q(src.string()), q(t.dir() + "pre"), callbacks);
    EXPECT_EQ(result.status, CopyResult::Status::Cancelled);
    EXPECT_FALSE(fs::exists(t.path() / "pre"));

    cancel = false;
    result = model::CopyFolderCancelable(q(src.string()), q(t.dir() + "mid"), callbacks);
    EXPECT_EQ(result.status, CopyResult::Status::Cancelled);
    EXPECT_EQ(treeOf(t.path() / "mid"), (std::vector<std::string>{"1.txt", "2.txt"}));
    EXPECT_EQ(progress, (std::vector<int>{25, 50}));

    // The plain copy has no cancel.
    cancel = true;
    EXPECT_TRUE(model::CopyFolder(q(src.string()), q(t.dir() + "all"), callbacks).done());
    EXPECT_EQ(treeOf(t.path() / "all").size(), 4u);
}

TEST(CopyFolderCancelable, FailedFilesAreReportedAndNothingIsLostOnASelfCopy) {
    testsupport::TempFolder t;
    const fs::path src = t.path() / "src";
    writeFile(src / "a.txt", "a");
    writeFile(src / "b.txt", "b");
    writeFile(src / "sub" / "c.txt", "c");
    // A folder where the file must go: the copy of b.txt cannot be written.
    fs::create_directories(t.path() / "dst" / "b.txt");
    model::FileProgress none;
    CopyResult result = model::CopyFolderCancelable(q(src.string()), q(t.dir() + "dst"), none);
    EXPECT_EQ(result.status, CopyResult::Status::Failed);
    EXPECT_EQ(result.failedPaths, QStringList{q(src.string() + "/b.txt")});
    EXPECT_EQ(readFile(t.path() / "dst" / "a.txt"), "a");
    EXPECT_EQ(readFile(t.path() / "dst" / "sub" / "c.txt"), "c");

    // Source and target are the same folder, once directly and once through a link.
    fs::create_directory_symlink(src, t.path() / "srclink");
    for (const std::string& target : {src.string(), t.dir() + "srclink/"}) {
        result = model::CopyFolderCancelable(q(src.string() + "/"), q(target), none);
        EXPECT_EQ(result.status, CopyResult::Status::Failed) << target;
        EXPECT_EQ(readFile(src / "a.txt"), "a");
        EXPECT_EQ(readFile(src / "b.txt"), "b");
        EXPECT_EQ(readFile(src / "sub" / "c.txt"), "c");
    }
}

TEST(CopyFileContents, ReplacesTheTargetOnlyWhenEveryByteArrived) {
    testsupport::TempFolder t;
    const fs::path target = t.path() / "target.jpg";
    writeFile(target, "the last good copy");
    // The kernel refuses to read this file from its start: the copy fails midway.
    EXPECT_FALSE(model::CopyFileContents(QStringLiteral("/proc/self/mem"), q(target.string())));
    EXPECT_FALSE(model::CopyFileContents(q(t.dir() + "missing"), q(target.string())));
    EXPECT_EQ(readFile(target), "the last good copy");
    EXPECT_EQ(treeOf(t.path()), std::vector<std::string>{"target.jpg"});

    const std::string big(3 * 1024 * 1024 + 17, 'b'); // more than one read block
    writeFile(t.path() / "source.bin", big);
    EXPECT_TRUE(model::CopyFileContents(q(t.dir() + "source.bin"), q(target.string())));
    EXPECT_EQ(readFile(target), big);
}

TEST(GetFileSizeOf, ExactSizesOfFilesOnly) {
    testsupport::TempFolder t;
    const fs::path big = t.path() / "big.zip";
    writeFile(big, "");
    fs::resize_file(big, 6ull * 1024 * 1024 * 1024 + 1); // sparse
    EXPECT_EQ(model::GetFileSizeOf(q(big.string())), 6ll * 1024 * 1024 * 1024 + 1);
    writeFile(t.path() / "a.txt", "12345");
    EXPECT_EQ(model::GetFileSizeOf(q(t.dir() + "a.txt")), 5);
    EXPECT_EQ(model::GetFileSizeOf(q(t.dir() + "*.txt")), 0); // no wildcards
    EXPECT_EQ(model::GetFileSizeOf(q(t.dir())), 0);
    EXPECT_EQ(model::GetFileSizeOf(q(t.dir() + "missing")), 0);
}

TEST(ShellFolders, PicturesAndFriendsFollowTheUsersFolders) {
    testsupport::TempUserFolders user;
    EXPECT_EQ(model::GetShellFolder(12).toStdString(), user.home() + "Pictures/");
    EXPECT_EQ(model::GetShellFolder(1).toStdString(), user.data());
    EXPECT_EQ(model::GetAppDataFolder().toStdString(), user.data());
    for (int index : {-1, 0, 3, 22, 23})
        EXPECT_TRUE(model::GetShellFolder(index).isEmpty()) << index;
}
