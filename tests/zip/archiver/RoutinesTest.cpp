#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"
#include "zip/codec/CompressionMode.h"
#include "zip/streams/MemoryStream.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

using namespace zip;
using namespace ziptest;

namespace {

// The album archiver as the main window configures it.
struct AlbumArchiver : TZipArchiver {
    AlbumArchiver() : TZipArchiver("ZipArchiver") {
        SetCompressionMode(1);
        Zip64Mode = TZip64Mode::zmDisabled;
    }
};

void MakeTree(const std::string& root) {
    WriteFile(root + "/data.xml", "<album/>");
    WriteFile(root + "/pictavo_images/a b.jpg", RandomData(40000, 1));
    WriteFile(root + "/pictavo_images/caf\xc3\xa9.jpg", TextData(30000, 2));
    WriteFile(root + "/pictavo_images/\xe6\x97\xa5\xe6\x9c\xac.jpg", RandomData(500, 3));
    WriteFile(root + "/pictavo_images/x:y.jpg", "colon");
    WriteFile(root + "/pictavo_images/IMG_1.JPG", "upper");
    WriteFile(root + "/pictavo_images/img_1.jpg", "lower");
    WriteFile(root + "/pictavo_thumbs/deep/er/.hidden", "dot");
    WriteFile(root + "/empty.txt", "");
    fs::create_directories(root + "/pictavo_music");
    WriteFile(root + "/readonly.txt", "keep");
    fs::permissions(root + "/readonly.txt", fs::perms::owner_read | fs::perms::group_read);
}

// Python builds an archive whose members have the given names and contents.
void PythonArchive(const std::string& zipFile,
                   const std::vector<std::pair<std::string, std::string>>& members) {
    std::string script = "import sys,zipfile\nz=zipfile.ZipFile(sys.argv[1],'w')\n";
    for (const auto& [name, data] : members) {
        std::string escaped;
        for (unsigned char c : name) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            escaped += hex;
        }
        script += "i=zipfile.ZipInfo(b'" + escaped + "'.decode('latin-1'))\n";
        script += "z.writestr(i," + std::string("'") + data + "')\n";
    }
    script += "z.close()\n";
    ASSERT_EQ(Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(zipFile)).ExitCode,
              0);
}

std::vector<std::string> Leftovers(const std::string& folder, const std::string& keep) {
    std::vector<std::string> other;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().filename() != keep && e.path().filename() != "src")
            other.push_back(e.path().filename().string());
    return other;
}

} // namespace

TEST(RoutinesTest, RoundTripOfAnAlbumFolder) {
    ScratchDir dir;
    MakeTree(dir / "src");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "album.zip")).ExitCode, 0);
    ASSERT_TRUE(UnzipAll(a, dir / "album.zip", dir / "out"));
    EXPECT_EQ(Snapshot(dir / "src"), Snapshot(dir / "out"));
    EXPECT_FALSE(fs::status(dir / "out/readonly.txt").permissions() == fs::perms::none);
    EXPECT_EQ(fs::status(dir / "out/readonly.txt").permissions() & fs::perms::owner_write,
              fs::perms::none);
    const auto src = fs::last_write_time(dir / "src/data.xml");
    const auto out = fs::last_write_time(dir / "out/data.xml");
    EXPECT_LE(std::chrono::abs(src - out), std::chrono::seconds(2));
    EXPECT_TRUE(Leftovers(dir.Path(), "album.zip").size() == 1); // "out"
}

TEST(RoutinesTest, CancelOrFailureKeepsThePreviousAlbum) {
    ScratchDir dir;
    MakeTree(dir / "src");
    WriteFile(dir / "src/big.bin", TextData(3 << 20, 9));
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    const std::string before = ReadFile(dir / "album.zip");
    WriteFile(dir / "src/new.txt", "changed");

    int seen = 0;
    a.OnOverallProgress = [&](TZABaseArchiver&, double, TZAProcessOperation, TZAProgressPhase phase,
                              bool& cancel) {
        if (phase == TZAProgressPhase::ppProcess && ++seen == 2)
            cancel = true;
    };
    EXPECT_FALSE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Cancelled);
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);
    EXPECT_EQ(Leftovers(dir.Path(), "album.zip"), std::vector<std::string>{});

    // A source that vanishes before it is written, answered with Abort (the headless answer).
    a.OnOverallProgress = [&](TZABaseArchiver&, double, TZAProcessOperation, TZAProgressPhase phase,
                              bool&) {
        if (phase == TZAProgressPhase::ppStart)
            fs::remove(dir / "src/new.txt");
    };
    EXPECT_FALSE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Aborted);
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);
    EXPECT_EQ(Leftovers(dir.Path(), "album.zip"), std::vector<std::string>{});

    // Ignore drops the member, and a save that left something out is no success either.
    WriteFile(dir / "src/new.txt", "changed");
    a.OnProcessFileFailure = [](TZABaseArchiver&, const std::string&, TZAProcessOperation, int, int,
                                const std::string&,
                                TZAAction& action) { action = TZAAction::fxaIgnore; };
    EXPECT_FALSE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Incomplete);
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);

    // An album that needs Zip64 fails with the engine's error and keeps the old file.
    a.OnOverallProgress = nullptr;
    a.OnProcessFileFailure = nullptr;
    a.Zip64Mode = TZip64Mode::zmDisabled;
    const int fd = ::open((dir / "src/huge.bin").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (int64_t(1) << 32) + 10), 0);
    ::close(fd);
    EXPECT_FALSE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_NE(a.LastOutcome().LastError.find("Zip64 mode is not enabled"), std::string::npos)
        << a.LastOutcome().LastError;
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);
    EXPECT_EQ(Leftovers(dir.Path(), "album.zip"), std::vector<std::string>{});
}

TEST(RoutinesTest, SavingThroughALinkReplacesItsTarget) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "a");
    WriteFile(dir / "albums/real.zip", "old");
    fs::create_symlink(dir / "albums/real.zip", dir / "link.zip");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "link.zip"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.zip"));
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "albums/real.zip")).Output, "a.txt\n");
}

TEST(RoutinesTest, TheAlbumIsNeverPackedIntoItself) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "a");
    WriteFile(dir / "src/album.zip", "old album");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "src/album.zip"));
    const auto list = Shell("unzip -Z1 " + Quote(dir / "src/album.zip"));
    EXPECT_EQ(list.Output, "a.txt\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "src"), fs::directory_iterator()), 2);

    // Nor when the folder is reached through a link and the album by its real path: neither
    // the album nor the file being written goes in.
    fs::create_directory_symlink(dir / "src", dir / "link");
    ASSERT_TRUE(ZipFolder(a, dir / "link", dir / "src/album.zip"));
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "src/album.zip")).Output, "a.txt\n");
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "link/album.zip"));
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "src/album.zip")).Output, "a.txt\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "src"), fs::directory_iterator()), 2);

    // The album is left out as that one file, not as a mask: its name may hold wildcards.
    WriteFile(dir / "wf/photo1.jpg", "1");
    WriteFile(dir / "wf/photoA.jpg", "A");
    const std::string names =
        std::string(kPython) + " -c " +
        Quote("import sys,zipfile;print(*sorted(zipfile.ZipFile(sys.argv[1]).namelist()))") + " ";
    for (int round = 0; round < 2; ++round) { // the second with the album already there
        ASSERT_TRUE(ZipFolder(a, dir / "wf", dir / "wf/photo?.jpg"));
        EXPECT_EQ(Shell(names + Quote(dir / "wf/photo?.jpg")).Output, "photo1.jpg photoA.jpg\n");
    }
}

TEST(RoutinesTest, EmptyFolderAndMissingInputs) {
    ScratchDir dir;
    fs::create_directories(dir / "empty");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "empty", dir / "e.zip"));
    EXPECT_EQ(fs::file_size(dir / "e.zip"), 22u);
    EXPECT_EQ(Shell(std::string(kPython) +
                    " -c 'import sys,zipfile;"
                    "print(zipfile.ZipFile(sys.argv[1]).namelist())' " +
                    Quote(dir / "e.zip"))
                  .Output,
              "[]\n");

    try {
        UnzipAll(a, dir / "missing.zip", dir / "out");
        FAIL() << "unpacked a missing file";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 12);
    }
    EXPECT_FALSE(fs::exists(dir / "missing.zip"));
    EXPECT_FALSE(UnzipByMask(a, dir / "missing.zip", dir / "out", "tpl\\*.*"));
    EXPECT_FALSE(fs::exists(dir / "missing.zip"));
    MemoryStream stream;
    EXPECT_FALSE(UnzipFileToStream(a, dir / "e.zip", "package.xml", stream));
    EXPECT_EQ(stream.Size(), 0);
}

TEST(RoutinesTest, PackageMaskAndPackageFile) {
    ScratchDir dir;
    WriteFile(dir / "pkg/package.xml", "<package><template id=\"tpl1\"/></package>");
    WriteFile(dir / "pkg/tpl1/album.xml", "<album/>");
    WriteFile(dir / "pkg/tpl1/sub/x.swf", RandomData(3000, 1));
    WriteFile(dir / "pkg/tpl1/README", "read me");
    WriteFile(dir / "pkg/tpl2/album.xml", "<other/>");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "pkg", dir / "p.zip"));
    ASSERT_TRUE(UnzipByMask(a, dir / "p.zip", dir / "Templates", "tpl1\\*.*"));
    const auto got = Snapshot(dir / "Templates");
    const std::map<std::string, std::string> expected = {{"tpl1/", ""},
                                                         {"tpl1/README", "read me"},
                                                         {"tpl1/album.xml", "<album/>"},
                                                         {"tpl1/sub/", ""},
                                                         {"tpl1/sub/x.swf", RandomData(3000, 1)}};
    EXPECT_EQ(got, expected);
    EXPECT_FALSE(UnzipByMask(a, dir / "p.zip", dir / "Templates", "tpl9\\*.*"));
    EXPECT_NE(a.LastOutcome().LastError.find("tpl9"), std::string::npos);
    MemoryStream stream;
    ASSERT_TRUE(UnzipFileToStream(a, dir / "p.zip", "package.xml", stream));
    EXPECT_EQ(std::string(stream.Bytes().begin(), stream.Bytes().end()),
              ReadFile(dir / "pkg/package.xml"));
    MemoryStream upper;
    EXPECT_TRUE(UnzipFileToStream(a, dir / "p.zip", "PACKAGE.XML", upper));
    EXPECT_EQ(upper.Size(), stream.Size());

    // An encrypted package whose password is not given does not count as read.
    TZipArchiver locked;
    locked.Password = "pw";
    ASSERT_TRUE(ZipFolder(locked, dir / "pkg", dir / "locked.zip"));
    MemoryStream none;
    EXPECT_FALSE(UnzipFileToStream(a, dir / "locked.zip", "package.xml", none));
    a.Password = "pw";
    MemoryStream opened;
    EXPECT_TRUE(UnzipFileToStream(a, dir / "locked.zip", "package.xml", opened));
    EXPECT_EQ(opened.Size(), stream.Size());
}

TEST(RoutinesTest, HostileNamesNeverLeaveTheDestination) {
    ScratchDir dir;
    const std::string zipFile = dir / "hostile.zip";
    const std::string outside = dir.Path() + "/evil2";
    PythonArchive(zipFile, {{"../evil1", "1"},
                            {outside, "2"},
                            {"..\\evil3", "3"},
                            {"C:\\evil4", "4"},
                            {"a/../../evil5", "5"},
                            {"sub\\..\\..\\evil6", "6"},
                            {"\\\\srv\\share\\evil7", "7"},
                            {std::string("ok/\x01"
                                         "evil8.jpg"),
                             "8"},
                            {"good.txt", "good"},
                            {"dir/./fine.txt", "fine"}});
    fs::create_directories(dir / "dest");
    AlbumArchiver a;
    // Headless: the first refused member aborts the job.
    EXPECT_FALSE(UnzipAll(a, zipFile, dir / "dest"));
    EXPECT_NE(a.LastOutcome().LastError.find("Unsafe file name"), std::string::npos);

    std::vector<std::string> refused;
    a.OnProcessFileFailure = [&](TZABaseArchiver&, const std::string& name, TZAProcessOperation,
                                 int, int, const std::string&, TZAAction& action) {
        refused.push_back(name);
        action = TZAAction::fxaIgnore;
    };
    EXPECT_FALSE(UnzipAll(a, zipFile, dir / "dest"));
    EXPECT_EQ(refused.size(), 8u);
    EXPECT_EQ(a.LastOutcome().Failed, 8);
    EXPECT_EQ(ReadFile(dir / "dest/good.txt"), "good");
    EXPECT_EQ(ReadFile(dir / "dest/dir/fine.txt"), "fine");
    // Nothing appeared beside the destination.
    std::vector<std::string> top;
    for (const auto& e : fs::directory_iterator(dir.Path()))
        top.push_back(e.path().filename().string());
    std::sort(top.begin(), top.end());
    EXPECT_EQ(top, (std::vector<std::string>{"dest", "hostile.zip"}));

    // A link planted in the destination is not followed out of it.
    fs::create_directories(dir / "elsewhere");
    fs::create_directory_symlink(dir / "elsewhere", dir / "dest2-link");
    fs::create_directories(dir / "dest2");
    fs::create_directory_symlink(dir / "elsewhere", dir / "dest2/dir");
    refused.clear();
    EXPECT_FALSE(UnzipAll(a, zipFile, dir / "dest2"));
    EXPECT_TRUE(fs::is_empty(dir / "elsewhere"));

    // Nor is a link planted where a member goes: the member replaces the link, and the file
    // the link pointed to stays as it was.
    WriteFile(dir / "victim.txt", "victim");
    fs::create_directories(dir / "dest3");
    fs::create_symlink(dir / "victim.txt", dir / "dest3/good.txt");
    EXPECT_FALSE(UnzipAll(a, zipFile, dir / "dest3"));
    EXPECT_EQ(ReadFile(dir / "victim.txt"), "victim");
    EXPECT_FALSE(fs::is_symlink(dir / "dest3/good.txt"));
    EXPECT_EQ(ReadFile(dir / "dest3/good.txt"), "good");
}

TEST(RoutinesTest, SpecialFilesAndLinksAreNotPacked) {
    ScratchDir dir;
    WriteFile(dir / "src/real.txt", "real");
    ASSERT_EQ(::mkfifo((dir / "src/fifo").c_str(), 0644), 0);
    fs::create_directory_symlink(dir / "src", dir / "src/loop");
    WriteFile(dir / "secret.txt", "outside");
    fs::create_symlink(dir / "secret.txt", dir / "src/link");
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::string socketPath = dir / "src/sock";
    if (socketPath.size() < sizeof addr.sun_path) {
        std::strcpy(addr.sun_path, socketPath.c_str());
        ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    }
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "s.zip"));
    ::close(s);
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "s.zip")).Output, "real.txt\n");
}

TEST(RoutinesTest, CaseVariantsAndFailedOverwrite) {
    ScratchDir dir;
    WriteFile(dir / "src/Photo.jpg", "upper");
    WriteFile(dir / "src/photo.jpg", "lower");
    WriteFile(dir / "src/t.txt", TextData(20000, 4));
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "c.zip"));
    ASSERT_TRUE(UnzipAll(a, dir / "c.zip", dir / "out"));
    EXPECT_EQ(ReadFile(dir / "out/Photo.jpg"), "upper");
    EXPECT_EQ(ReadFile(dir / "out/photo.jpg"), "lower");

    // Damage t.txt's data: the extraction fails and the old t.txt stays.
    std::string bytes = ReadFile(dir / "c.zip");
    const size_t at = bytes.find("t.txt");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 5 + 100] ^= 0x55;
    WriteFile(dir / "c.zip", bytes);
    WriteFile(dir / "out/t.txt", "OLD");
    EXPECT_FALSE(UnzipByMask(a, dir / "c.zip", dir / "out", "t.txt"));
    EXPECT_EQ(ReadFile(dir / "out/t.txt"), "OLD");
    for (const auto& e : fs::directory_iterator(dir / "out"))
        EXPECT_NE(e.path().filename().string().rfind(".FC", 0), 0u) << e.path();

    // A read-only target is left alone without ReplaceReadOnly and counts as done.
    WriteFile(dir / "out/Photo.jpg", "mine");
    fs::permissions(dir / "out/Photo.jpg", fs::perms::owner_read);
    a.Options.ReplaceReadOnly = false;
    EXPECT_TRUE(UnzipByMask(a, dir / "c.zip", dir / "out", "Photo.jpg"));
    EXPECT_EQ(ReadFile(dir / "out/Photo.jpg"), "mine");
}

TEST(RoutinesTest, UnicodePathFieldGivesTheRealName) {
    ScratchDir dir;
    // A name stored as raw UTF-8 bytes without flag bit 11, with its Unicode path field, as
    // archivers on UTF-8 systems write it; and one whose field does not match its name.
    const std::string script =
        "import sys,zipfile,struct,zlib\n"
        "def field(raw, name): d=struct.pack('<BI',1,zlib.crc32(raw))+name.encode();"
        " return struct.pack('<HH',0x7075,len(d))+d\n"
        "z=zipfile.ZipFile(sys.argv[1],'w')\n"
        "i=zipfile.ZipInfo('cafXY.txt'); "
        "i.extra=field('caf\\u00e9.txt'.encode(),'caf\\u00e9.txt')\n"
        "z.writestr(i,'one')\n"
        "i=zipfile.ZipInfo('plain.txt'); i.extra=field(b'other','evil/../x.txt')\n"
        "z.writestr(i,'two')\n"
        "z.close()\n"
        "b=open(sys.argv[1],'rb').read().replace(b'cafXY.txt','caf\\u00e9.txt'.encode())\n"
        "open(sys.argv[1],'wb').write(b)\n";
    ASSERT_EQ(
        Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(dir / "u.zip")).ExitCode,
        0);
    AlbumArchiver a;
    ASSERT_TRUE(UnzipAll(a, dir / "u.zip", dir / "out"));
    EXPECT_EQ(ReadFile(dir / "out/caf\xc3\xa9.txt"), "one");
    EXPECT_EQ(ReadFile(dir / "out/plain.txt"), "two");
}

// An album file cut off before its directory (an interrupted copy) still yields the photos it
// holds, but the job is not reported as complete: the caller learns that members may be missing.
TEST(RoutinesTest, TruncatedAlbumIsRecoveredButNotReportedAsComplete) {
    ScratchDir dir;
    MakeTree(dir / "src");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    const std::string whole = ReadFile(dir / "album.zip");
    ASSERT_GE(whole.size(), 22u);
    const std::string end = whole.substr(whole.size() - 22);
    ASSERT_EQ(end.substr(0, 4), "PK\x05\x06");
    const auto byte = [&](size_t i) { return uint32_t(uint8_t(end[i])); };
    const uint32_t directory = byte(16) | byte(17) << 8 | byte(18) << 16 | byte(19) << 24;
    ASSERT_LT(directory, whole.size());
    const std::string cut = whole.substr(0, directory);
    WriteFile(dir / "cut.zip", cut);

    // The intact file: complete, nothing recovered.
    ASSERT_TRUE(UnzipAll(a, dir / "album.zip", dir / "whole"));
    EXPECT_FALSE(a.LastOutcome().Recovered);

    // Every member is still there and unpacked, yet the result says the job is not complete.
    EXPECT_FALSE(UnzipAll(a, dir / "cut.zip", dir / "out"));
    const TZAOutcome outcome = a.LastOutcome();
    EXPECT_TRUE(outcome.Recovered);
    EXPECT_EQ(outcome.Status, TZAOutcome::Result::Completed);
    EXPECT_EQ(outcome.Failed, 0);
    EXPECT_GT(outcome.Done, 0);
    EXPECT_FALSE(outcome.Succeeded());
    EXPECT_EQ(outcome.LastError, std::string("ZipArchiver: ") + kRecoveredArchiveText);
    EXPECT_EQ(Snapshot(dir / "src"), Snapshot(dir / "out"));
    EXPECT_TRUE(ReadFile(dir / "cut.zip") == cut); // opening for reading wrote nothing

    // The same for the other unpacking routines.
    EXPECT_FALSE(UnzipByMask(a, dir / "cut.zip", dir / "mask", "pictavo_images\\*.*"));
    EXPECT_TRUE(a.LastOutcome().Recovered);
    EXPECT_EQ(ReadFile(dir / "mask/pictavo_images/a b.jpg"), RandomData(40000, 1));
    MemoryStream stream;
    EXPECT_FALSE(UnzipFileToStream(a, dir / "cut.zip", "data.xml", stream));
    EXPECT_TRUE(a.LastOutcome().Recovered);
    EXPECT_NE(a.LastOutcome().LastError.find(kRecoveredArchiveText), std::string::npos);
    EXPECT_TRUE(ReadFile(dir / "cut.zip") == cut);

    // The archiver says so from the moment the archive is open; the next archive starts clean.
    TZipArchiver reader;
    reader.FileName = dir / "cut.zip";
    reader.OpenArchiveMode(kOpenModeReadOnly);
    EXPECT_TRUE(reader.Recovered());
    EXPECT_TRUE(reader.LastOutcome().Recovered);
    EXPECT_FALSE(reader.LastOutcome().Succeeded());
    reader.FileName = dir / "album.zip";
    reader.OpenArchiveMode(kOpenModeReadOnly);
    EXPECT_FALSE(reader.Recovered());
    EXPECT_TRUE(reader.LastOutcome().Succeeded());
    reader.CloseArchive();

    // Cut inside the data as well: the member cut short fails, and nothing unpacked passes
    // off a cut photo as whole.
    WriteFile(dir / "short.zip", whole.substr(0, directory - 10));
    EXPECT_FALSE(UnzipAll(a, dir / "short.zip", dir / "short"));
    EXPECT_TRUE(a.LastOutcome().Recovered);
    const auto source = Snapshot(dir / "src");
    const auto unpacked = Snapshot(dir / "short");
    EXPECT_LT(unpacked.size(), source.size());
    EXPECT_GT(unpacked.size(), 1u);
    for (const auto& [name, data] : unpacked) {
        ASSERT_EQ(source.count(name), 1u) << name;
        EXPECT_TRUE(source.at(name) == data) << name;
    }
}

// Saving never swaps a good album for a worse one: a working folder that is gone would give an
// empty archive, and a read-only album file is not replaced. Either raises and leaves the file.
TEST(RoutinesTest, MissingFolderOrReadOnlyAlbumKeepsTheFile) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "a");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    const std::string before = ReadFile(dir / "album.zip");

    try {
        ZipFolder(a, dir / "gone", dir / "album.zip");
        FAIL() << "packed a folder that is not there";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 15);
        EXPECT_NE(std::string(e.what()).find("gone"), std::string::npos);
    }
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);

    WriteFile(dir / "src/b.txt", "b");
    fs::permissions(dir / "album.zip", fs::perms::owner_read | fs::perms::group_read);
    try {
        ZipFolder(a, dir / "src", dir / "album.zip");
        FAIL() << "replaced a read-only album";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 23);
    }
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);
    EXPECT_EQ(Leftovers(dir.Path(), "album.zip"), std::vector<std::string>{});

    fs::permissions(dir / "album.zip", fs::perms::owner_write, fs::perm_options::add);
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "album.zip")).Output, "a.txt\nb.txt\n");
    // The album keeps the permissions it had.
    EXPECT_EQ(fs::status(dir / "album.zip").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

namespace {

// Files may not grow past limit bytes while it lives, as on a full disk: writes beyond it fail.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = saved_;
        lowered.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*oldHandler_)(int) = SIG_DFL;
};

} // namespace

// A disk that fills up while saving or opening: the save fails and keeps the previous album,
// the unpacking fails with the write error and keeps the file it would have replaced. The
// system's reason ("file too large" here) comes with the failure, though the failure box
// changed errno since, as a box's event loop does.
TEST(RoutinesTest, FullDiskKeepsTheAlbumAndTheFiles) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "small");
    AlbumArchiver a;
    int reason = 0; // what the failure, thrown or noted, carries
    a.OnProcessFileFailure = [](TZABaseArchiver&, const std::string&, TZAProcessOperation, int, int,
                                const std::string&, TZAAction& action) {
        errno = EINTR;
        action = TZAAction::fxaAbort;
    };
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    const std::string before = ReadFile(dir / "album.zip");
    WriteFile(dir / "src/big.bin", RandomData(3 << 20, 5));
    {
        FileSizeLimit limit(1 << 20);
        bool saved = true;
        try {
            saved = ZipFolder(a, dir / "src", dir / "album.zip");
        } catch (const EZAException& e) {
            saved = false;
            EXPECT_EQ(e.NativeError(), 46) << e.what();
            reason = e.SystemError();
        }
        EXPECT_FALSE(saved);
    }
    EXPECT_EQ(reason ? reason : a.LastOutcome().SystemError, EFBIG);
    EXPECT_NE(a.LastOutcome().LastError.find("Native error: 00046"), std::string::npos)
        << a.LastOutcome().LastError;
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);
    EXPECT_EQ(Leftovers(dir.Path(), "album.zip"), std::vector<std::string>{});

    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    WriteFile(dir / "out/big.bin", "mine");
    reason = 0;
    {
        FileSizeLimit limit(1 << 20);
        bool unpacked = true;
        try {
            unpacked = UnzipAll(a, dir / "album.zip", dir / "out");
        } catch (const EZAException& e) {
            unpacked = false;
            reason = e.SystemError();
        }
        EXPECT_FALSE(unpacked);
    }
    EXPECT_EQ(reason ? reason : a.LastOutcome().SystemError, EFBIG);
    EXPECT_NE(a.LastOutcome().LastError.find("Native error: 00046"), std::string::npos)
        << a.LastOutcome().LastError;
    EXPECT_EQ(ReadFile(dir / "out/big.bin"), "mine");
    for (const auto& e : fs::directory_iterator(dir / "out"))
        EXPECT_NE(e.path().filename().string().rfind(".FC", 0), 0u) << e.path();
}

// The GUI pumps events inside progress events: a routine started from there on the archiver
// that is at work is refused and changes nothing of the job in progress.
TEST(RoutinesTest, RoutineFromAProgressHandlerIsRefused) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", TextData(300000, 1));
    WriteFile(dir / "src/b.txt", "b");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "first.zip"));
    int refused = 0;
    a.OnOverallProgress = [&](TZABaseArchiver& sender, double, TZAProcessOperation,
                              TZAProgressPhase phase, bool&) {
        if (phase != TZAProgressPhase::ppProcess)
            return;
        MemoryStream stream;
        EXPECT_FALSE(UnzipFileToStream(sender, dir / "first.zip", "b.txt", stream));
        EXPECT_FALSE(UnzipByMask(sender, dir / "first.zip", dir / "nested", "*.*"));
        for (int i = 0; i < 2; ++i) {
            try {
                if (i == 0)
                    ZipFolder(sender, dir / "src", dir / "nested.zip");
                else
                    UnzipAll(sender, dir / "first.zip", dir / "nested");
            } catch (const EZAPlainError&) {
                ++refused;
            }
        }
    };
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_GT(refused, 0);
    EXPECT_TRUE(a.LastOutcome().Succeeded());
    EXPECT_EQ(a.FileName, dir / "album.zip");
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "album.zip")).Output, "a.txt\nb.txt\n");
    EXPECT_FALSE(fs::exists(dir / "nested"));
    EXPECT_FALSE(fs::exists(dir / "nested.zip"));
    EXPECT_EQ(Leftovers(dir.Path(), "album.zip"), (std::vector<std::string>{"first.zip"}));

    ASSERT_TRUE(UnzipAll(a, dir / "album.zip", dir / "out"));
    EXPECT_EQ(ReadFile(dir / "out/b.txt"), "b");
    EXPECT_EQ(a.FileName, dir / "album.zip");
}

TEST(RoutinesTest, DuplicateNamesKeepTheirOwnDataThroughACommit) {
    // Other tools write several members under one name; a commit copies each as itself.
    ScratchDir dir;
    const std::string zipFile = dir / "dup.zip";
    PythonArchive(zipFile, {{"x.txt", "x"}, {"a.txt", "first"}, {"a.txt", "second one"}});
    WriteFile(dir / "src/x.txt", "new");
    {
        AlbumArchiver a;
        a.FileName = zipFile;
        a.OpenArchiveMode(kOpenModeReadWrite);
        a.BaseDir = dir / "src";
        a.AddFiles("x.txt"); // replaces the first member; all after it are copied
        a.CloseArchiveChecked();
    }
    const std::string script = "import sys,zipfile\nz=zipfile.ZipFile(sys.argv[1])\n"
                               "print(z.testzip(),*[z.read(i).decode() for i in z.infolist()])";
    EXPECT_EQ(Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(zipFile)).Output,
              "None new first second one\n");
}

TEST(RoutinesTest, AFileNameThatIsNotUtf8FailsThePackAndKeepsTheAlbum) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "a");
    AlbumArchiver a;
    ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip"));
    const std::string before = ReadFile(dir / "album.zip");
    WriteFile(dir / "src/bad\xFF\xFE.jpg", "latin-1 name");
    EXPECT_FALSE(ZipFolder(a, dir / "src", dir / "album.zip"));
    EXPECT_NE(a.LastOutcome().LastError.find("Unsafe file name"), std::string::npos);
    EXPECT_NE(a.LastOutcome().LastError.find("bad\\xFF\\xFE.jpg"), std::string::npos)
        << a.LastOutcome().LastError;
    EXPECT_EQ(ReadFile(dir / "album.zip"), before);
}

TEST(RoutinesTest, ClaimedSizesOverTheLimitsUnpackNothing) {
    ScratchDir temp;
    const std::string album = temp / "album.zip";
    WriteFile(temp / "in/data.xml", TextData(5000, 1));
    WriteFile(temp / "in/pictavo_images/a.jpg", RandomData(3000, 2));
    AlbumArchiver archiver;
    ASSERT_TRUE(ZipFolder(archiver, temp / "in", album));
    const auto dataXmlCap = [](int64_t cap) {
        return [cap](const std::string& name) {
            return name == "data.xml" ? cap : TZAUnpackLimits::kNone;
        };
    };
    struct Case {
        const char* What;
        TZAUnpackLimits Limits;
        bool Unpacks;
    };
    const std::vector<Case> cases = {
        {"member one byte over its cap", {TZAUnpackLimits::kNone, dataXmlCap(4999)}, false},
        {"member at its cap", {TZAUnpackLimits::kNone, dataXmlCap(5000)}, true},
        {"album one byte over the total", {7999, nullptr}, false},
        {"album at the total", {8000, nullptr}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const std::string out = temp / "out";
        fs::remove_all(out);
        fs::create_directories(out);
        int code = -1;
        try {
            EXPECT_TRUE(UnzipAll(archiver, album, out, c.Limits));
        } catch (const EZAException& e) {
            code = e.NativeError();
        }
        EXPECT_EQ(code, c.Unpacks ? -1 : CodeOf(ZAError::UnpackLimit));
        EXPECT_EQ(Snapshot(out).empty(), !c.Unpacks);
        EXPECT_FALSE(archiver.UnpackLimits.PerMember) << "the limits were the job's only";
    }
}

// The overall progress of a save goes by bytes: while one large member is written the bar moves
// with its data, not by one member's share of the count.
TEST(RoutinesTest, SaveProgressMovesWithTheBytesWritten) {
    const int64_t chunk = BufferSizeForMode(1);
    for (const int64_t size : {chunk - 1, chunk, chunk + 1, 7 * chunk + 3}) {
        ScratchDir dir;
        WriteFile(dir / "src/big.bin", RandomData(size_t(size), 7));
        for (const char* small : {"src/a.txt", "src/data.xml", "src/z.txt"})
            WriteFile(dir / small, "small");
        AlbumArchiver a;
        double fileDone = -1; // percent of big.bin, -1 while another member is written
        double last = 0;
        std::vector<std::pair<double, double>> samples; // (big.bin's percent, overall percent)
        a.OnFileProgress = [&](TZABaseArchiver&, const std::string& name, double progress,
                               TZAProcessOperation, TZAProgressPhase,
                               bool&) { fileDone = name.ends_with("big.bin") ? progress : -1; };
        a.OnOverallProgress = [&](TZABaseArchiver&, double progress, TZAProcessOperation,
                                  TZAProgressPhase, bool&) {
            EXPECT_GE(progress, last) << size;
            EXPECT_LE(progress, 100.0) << size;
            last = progress;
            if (fileDone >= 0)
                samples.emplace_back(fileDone, progress);
        };
        ASSERT_TRUE(ZipFolder(a, dir / "src", dir / "album.zip")) << size;
        EXPECT_EQ(last, 100.0);
        ASSERT_FALSE(samples.empty()) << size;
        // The three small members weigh next to nothing beside it, wherever they come.
        for (const auto& [file, overall] : samples)
            EXPECT_NEAR(overall, file, 3.0) << size << " at " << file;
    }
}
