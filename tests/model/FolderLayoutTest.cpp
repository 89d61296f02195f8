#include "model/FolderLayout.h"
#include "model/Errors.h"
#include "platform/sys/ExecutableDir.h"

#include "tests/platform/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using model::FolderLayout;
using model::Folders;

namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string s(const QString& q) {
    return q.toStdString();
}

void writeFile(const fs::path& p, const std::string& text = "x") {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

// Restores the process-wide folders after each test.
class FolderLayoutTest : public ::testing::Test {
protected:
    void TearDown() override { Folders() = FolderLayout{}; }
};

// Thumbs/ and Preview/ as a crashed or running instance leaves them, plus things that must
// survive: a file beside them and a folder outside reached through a link.
struct WorkingTree {
    explicit WorkingTree(const testsupport::TempFolder& t)
        : data(t.path() / "share" / "Pictavo"), outside(t.path() / "outside") {
        writeFile(data / "keep.txt");
        writeFile(data / "Thumbs" / "tn_a.jpg");
        writeFile(data / "Thumbs" / "deep" / "er" / "b.jpg");
        writeFile(data / "Preview" / "data.xml");
        writeFile(data / "Preview" / "pictavo_images" / "a.jpg");
        writeFile(data / "Preview" / "locked" / "inner.txt");
        writeFile(data / "Preview" / "readonly.txt");
        fs::permissions(data / "Preview" / "readonly.txt", fs::perms(0444));
        fs::permissions(data / "Preview" / "locked", fs::perms(0555));
        writeFile(outside / "victim.txt");
        fs::create_directory_symlink(outside, data / "Preview" / "link");
    }
    fs::path data, outside;
};

} // namespace

TEST_F(FolderLayoutTest, LayoutKeepsEveryCharacterOfItsFolders) {
    const FolderLayout f = FolderLayout::compute(q("/tmp/t/Prög ü/"), q("/tmp/t/share"));
    EXPECT_EQ(s(f.AppFolder), "/tmp/t/Prög ü/");
    EXPECT_EQ(s(f.FilesFolder), "/tmp/t/Prög ü/Files/");
    EXPECT_EQ(s(f.TemplatesFolder), "/tmp/t/Prög ü/Templates/");
    EXPECT_EQ(s(f.LanguagesFolder), "/tmp/t/Prög ü/Languages/");
    EXPECT_EQ(s(f.DataFolder), "/tmp/t/share/Pictavo/");
    EXPECT_EQ(s(f.ThumbsFolder), "/tmp/t/share/Pictavo/Thumbs/");
    EXPECT_EQ(s(f.PreviewFolder), "/tmp/t/share/Pictavo/Preview/");
    EXPECT_EQ(s(f.PreviewImagesFolder), "/tmp/t/share/Pictavo/Preview/pictavo_images/");
    EXPECT_EQ(s(f.PreviewThumbsFolder), "/tmp/t/share/Pictavo/Preview/pictavo_thumbs/");
    EXPECT_EQ(s(f.PreviewMusicFolder), "/tmp/t/share/Pictavo/Preview/pictavo_music/");
    EXPECT_TRUE(f.LastPublishFolder.isEmpty());
    EXPECT_TRUE(f.LastImportFolder.isEmpty());
    EXPECT_TRUE(f.AlbumBaseFolder.isEmpty());

    // Trailing slashes or not, the same layout.
    const FolderLayout g = FolderLayout::compute(q("/tmp/t/Prög ü"), q("/tmp/t/share/"));
    EXPECT_EQ(g.FilesFolder, f.FilesFolder);
    EXPECT_EQ(g.PreviewMusicFolder, f.PreviewMusicFolder);

    // No application-data folder gives no data folder, never one at the root.
    const FolderLayout none = FolderLayout::compute(q("/opt/x/"), QString());
    EXPECT_TRUE(none.DataFolder.isEmpty());
    EXPECT_TRUE(none.PreviewFolder.isEmpty());
    EXPECT_EQ(s(none.FilesFolder), "/opt/x/Files/");
}

TEST_F(FolderLayoutTest, StartUpCreatesOnlyTheDataFolder) {
    testsupport::TempUserFolders user;
    model::InitFolders();
    EXPECT_EQ(s(Folders().DataFolder), user.data() + "Pictavo/");
    EXPECT_EQ(s(Folders().AppFolder), platform::executableDir());
    EXPECT_TRUE(fs::is_directory(user.data() + "Pictavo"));
    EXPECT_FALSE(fs::exists(user.data() + "Pictavo/Thumbs"));
    EXPECT_FALSE(fs::exists(user.data() + "Pictavo/Preview"));
}

TEST_F(FolderLayoutTest, EndStepOfTheLockOwnerRemovesOnlyItsWorkingFolders) {
    testsupport::TempFolder t;
    WorkingTree tree(t);
    model::InitFolders(q(t.dir() + "app"), q(t.dir() + "share"), q(t.dir()));
    model::FinishFolders(true);

    EXPECT_FALSE(fs::exists(tree.data / "Thumbs"));
    EXPECT_FALSE(fs::exists(tree.data / "Preview"));
    EXPECT_TRUE(fs::exists(tree.data / "keep.txt"));
    EXPECT_TRUE(fs::exists(tree.outside / "victim.txt"));
    EXPECT_TRUE(Folders().DataFolder.isEmpty());
}

TEST_F(FolderLayoutTest, EndStepOfASecondInstanceTouchesNothing) {
    testsupport::TempFolder t;
    WorkingTree tree(t);
    model::InitFolders(q(t.dir() + "app"), q(t.dir() + "share"), q(t.dir()));
    model::FinishFolders(false);

    EXPECT_TRUE(fs::exists(tree.data / "Thumbs" / "deep" / "er" / "b.jpg"));
    EXPECT_TRUE(fs::exists(tree.data / "Preview" / "readonly.txt"));
    EXPECT_TRUE(fs::exists(tree.data / "Preview" / "locked" / "inner.txt"));
    EXPECT_TRUE(fs::is_symlink(tree.data / "Preview" / "link"));
}

TEST_F(FolderLayoutTest, WorkingFolderThatIsALinkIsRemovedWithoutFollowingIt) {
    testsupport::TempFolder t;
    writeFile(t.path() / "elsewhere" / "precious.txt");
    fs::create_directories(t.path() / "share" / "Pictavo");
    fs::create_directory_symlink(t.path() / "elsewhere", t.path() / "share/Pictavo/Preview");
    model::InitFolders(q(t.dir() + "app"), q(t.dir() + "share"), q(t.dir()));
    model::ClearWorkingFolders();
    EXPECT_FALSE(fs::exists(fs::symlink_status(t.path() / "share/Pictavo/Preview")));
    EXPECT_TRUE(fs::exists(t.path() / "elsewhere" / "precious.txt"));
}

TEST_F(FolderLayoutTest, UnusableDataFolderFallsBackToAPrivateTempFolder) {
    testsupport::TempFolder t;
    writeFile(t.path() / "not-a-folder");
    const std::string fallback = t.dir() + "tmp/Pictavo-" + std::to_string(::getuid());
    fs::create_directories(t.path() / "tmp");
    model::InitFolders(q(t.dir() + "app"), q(t.dir() + "not-a-folder/share"), q(t.dir() + "tmp"));
    EXPECT_EQ(s(Folders().DataFolder), fallback + "/");
    EXPECT_EQ(s(Folders().PreviewImagesFolder), fallback + "/Preview/pictavo_images/");
    struct stat st {};
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    // No application-data folder at all takes the same way.
    Folders() = FolderLayout{};
    model::InitFolders(q(t.dir() + "app"), QString(), q(t.dir() + "tmp"));
    EXPECT_EQ(s(Folders().DataFolder), fallback + "/");
}

TEST_F(FolderLayoutTest, NoUsableFolderStopsTheStartWithAClearError) {
    testsupport::TempFolder t;
    writeFile(t.path() / "file");
    const bool rootPictavoBefore = fs::exists("/Pictavo");
    try {
        model::InitFolders(q(t.dir() + "app"), q(t.dir() + "file/share"), q(t.dir() + "file/tmp"));
        FAIL() << "no error";
    } catch (const model::FileError& e) {
        EXPECT_TRUE(e.message().contains(q(t.dir() + "file/share/Pictavo/")));
        EXPECT_TRUE(e.message().contains(q(t.dir() + "file/tmp/Pictavo-")));
    }
    EXPECT_TRUE(Folders().DataFolder.isEmpty());
    EXPECT_EQ(fs::exists("/Pictavo"), rootPictavoBefore);
}

TEST_F(FolderLayoutTest, FallbackPlantedByOthersIsRefused) {
    testsupport::TempFolder t;
    writeFile(t.path() / "file");
    const fs::path fallback = t.path() / "tmp" / ("Pictavo-" + std::to_string(::getuid()));
    fs::create_directories(t.path() / "tmp");
    fs::create_directories(t.path() / "attacker");
    fs::create_directory_symlink(t.path() / "attacker", fallback);
    EXPECT_THROW(model::InitFolders(q(t.dir() + "app"), q(t.dir() + "file/x"), q(t.dir() + "tmp")),
                 model::FileError);

    fs::remove(fallback);
    fs::create_directory(fallback);
    fs::permissions(fallback, fs::perms(0777));
    EXPECT_THROW(model::InitFolders(q(t.dir() + "app"), q(t.dir() + "file/x"), q(t.dir() + "tmp")),
                 model::FileError);
}

TEST_F(FolderLayoutTest, AlbumBaseFolderIsRestoredWhenTheScopeEndsEarly) {
    Folders().AlbumBaseFolder = QString();
    try {
        model::AlbumBaseFolderScope scope(QStringLiteral("pictavo/"));
        EXPECT_EQ(Folders().AlbumBaseFolder, QStringLiteral("pictavo/"));
        throw model::FileError(QStringLiteral("disk full"));
    } catch (const model::FileError&) {
    }
    EXPECT_TRUE(Folders().AlbumBaseFolder.isEmpty());
}
