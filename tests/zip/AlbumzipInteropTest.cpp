// Archives written by us pass the other tools' tests, and archives written by them unpack with
// us to the very same bytes. Driven through the albumzip command-line tool.

#include "tests/zip/ArchiverTestSupport.h"

#include "platform/sys/CodePage437.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <unistd.h>

using namespace ziptest;

namespace {

const std::string kAlbumzip = FZ_ALBUMZIP;

bool HaveAllTools() {
    return HaveTool("zip") && HaveTool("unzip") && HaveTool("7z");
}

// Nested folders, empty files, an empty folder, blanks, accents and CJK characters.
std::set<std::string> MakeMixedTree(const std::string& root) {
    WriteFile(root + "/a b/c d.txt", TextData(5000, 1));
    WriteFile(root + "/a b/empty.txt", "");
    WriteFile(root + "/caf\xc3\xa9/\xc3\xa9t\xc3\xa9 na\xc3\xafve.jpg", RandomData(70000, 2));
    WriteFile(root + "/\xe6\x97\xa5\xe6\x9c\xac/\xe5\x86\x99\xe7\x9c\x9f 1.jpg",
              RandomData(3000, 3));
    WriteFile(root + "/top.txt", TextData(1 << 20, 4));
    WriteFile(root + "/zero", "");
    fs::create_directories(root + "/nothing here");
    std::set<std::string> names;
    for (const auto& [name, data] : Snapshot(root))
        names.insert(name);
    return names;
}

std::set<std::string> Lines(const std::string& text) {
    std::set<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            out.insert(line);
    return out;
}

std::set<std::string> PythonNames(const std::string& zipFile) {
    return Lines(Shell(std::string(kPython) +
                       " -c 'import sys,zipfile;print(\"\\n\".join(zipfile.ZipFile(sys.argv[1])"
                       ".namelist()))' " +
                       Quote(zipFile))
                     .Output);
}

void ExpectSevenZipOk(const std::string& command) {
    const CommandResult r = Shell(command);
    EXPECT_EQ(r.ExitCode, 0) << r.Output;
    EXPECT_NE(r.Output.find("Everything is Ok"), std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("WARNING"), std::string::npos) << r.Output;
    EXPECT_EQ(r.Output.find("ERROR"), std::string::npos) << r.Output;
}

std::string PythonTest(const std::string& zipFile, const std::string& password = {}) {
    std::string script = "import sys,zipfile\nz=zipfile.ZipFile(sys.argv[1])\n";
    if (!password.empty())
        script += "z.setpassword(sys.argv[2].encode())\n";
    script += "print(z.testzip())\n";
    return Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(zipFile) + " " +
                 Quote(password))
        .Output;
}

// Names the Linux builds of unzip and 7z show as stored: plain ASCII, and names that do not
// fit code page 437 (stored as UTF-8). Both tools turn other code page 437 names into
// Latin-1 or replacement characters, whoever wrote the archive.
std::set<std::string> ShownAsStored(const std::set<std::string>& names, bool dropSlash) {
    std::set<std::string> out;
    for (std::string name : names) {
        const bool ascii = std::all_of(name.begin(), name.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        std::string oem;
        if (!ascii && platform::cp437FromUtf8(name, oem))
            continue;
        if (dropSlash && name.back() == '/')
            name.pop_back();
        out.insert(name);
    }
    return out;
}

std::set<std::string> SevenZipPaths(const std::string& zipFile) {
    std::set<std::string> paths;
    std::istringstream in(Shell("7z l -slt " + Quote(zipFile)).Output);
    bool listing = false;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("----------", 0) == 0)
            listing = true;
        else if (listing && line.rfind("Path = ", 0) == 0)
            paths.insert(line.substr(7));
    }
    return paths;
}

std::map<std::string, std::string> FilesOnly(const std::map<std::string, std::string>& all) {
    std::map<std::string, std::string> files;
    for (const auto& [name, data] : all)
        if (name.back() != '/')
            files[name] = data;
    return files;
}

} // namespace

TEST(AlbumzipInteropTest, PackedByUsPassesEveryTool) {
    if (!HaveAllTools())
        GTEST_SKIP() << "zip, unzip or 7z is not installed";
    ScratchDir dir;
    const std::set<std::string> names = MakeMixedTree(dir / "src");
    const std::string zipFile = dir / "ours.zip";
    ASSERT_EQ(
        Shell(Quote(kAlbumzip) + " pack " + Quote(dir / "src") + " " + Quote(zipFile)).ExitCode, 0);
    const CommandResult unzipTest = Shell("unzip -t " + Quote(zipFile));
    EXPECT_EQ(unzipTest.ExitCode, 0) << unzipTest.Output;
    ExpectSevenZipOk("7z t " + Quote(zipFile));
    EXPECT_EQ(PythonTest(zipFile), "None\n");
    EXPECT_EQ(PythonNames(zipFile), names);
    const std::set<std::string> unzipNames = Lines(Shell("unzip -Z1 " + Quote(zipFile)).Output);
    const std::set<std::string> sevenNames = SevenZipPaths(zipFile);
    EXPECT_EQ(unzipNames.size(), names.size());
    EXPECT_EQ(sevenNames.size(), names.size());
    for (const std::string& name : ShownAsStored(names, false))
        EXPECT_EQ(unzipNames.count(name), 1u) << name;
    for (const std::string& name : ShownAsStored(names, true))
        EXPECT_EQ(sevenNames.count(name), 1u) << name;

    // The same folder with traditional encryption.
    const std::string secret = dir / "secret.zip";
    ASSERT_EQ(Shell(Quote(kAlbumzip) + " pack --password s3cret " + Quote(dir / "src") + " " +
                    Quote(secret))
                  .ExitCode,
              0);
    EXPECT_EQ(Shell("unzip -P s3cret -tq " + Quote(secret)).ExitCode, 0);
    EXPECT_NE(Shell("unzip -P wrong -tq " + Quote(secret)).ExitCode, 0);
    ExpectSevenZipOk("7z t -ps3cret " + Quote(secret));
    EXPECT_NE(Shell("7z t -pwrong " + Quote(secret)).Output.find("Wrong password"),
              std::string::npos);
    EXPECT_EQ(PythonTest(secret, "s3cret"), "None\n");
    EXPECT_NE(PythonTest(secret, "wrong"), "None\n");

    // And we read both back.
    ASSERT_EQ(Shell(Quote(kAlbumzip) + " unpack --password s3cret " + Quote(secret) + " " +
                    Quote(dir / "back"))
                  .ExitCode,
              0);
    EXPECT_TRUE(Snapshot(dir / "back") == Snapshot(dir / "src"));
    const CommandResult wrong = Shell(Quote(kAlbumzip) + " unpack --password wrong " +
                                      Quote(secret) + " " + Quote(dir / "wrong"));
    EXPECT_EQ(wrong.ExitCode, 1);
}

TEST(AlbumzipInteropTest, ArchivesOfOtherToolsUnpackToTheSameBytes) {
    if (!HaveAllTools())
        GTEST_SKIP() << "zip, unzip or 7z is not installed";
    ScratchDir dir;
    MakeMixedTree(dir / "src");
    const auto source = FilesOnly(Snapshot(dir / "src"));
    // Info-ZIP zip stores the bytes of a name without saying how they are encoded, so its
    // archives get names in plain ASCII here.
    WriteFile(dir / "ascii/a b/c d.txt", TextData(5000, 1));
    WriteFile(dir / "ascii/a b/empty.txt", "");
    WriteFile(dir / "ascii/pictures/photo 1.jpg", RandomData(70000, 2));
    WriteFile(dir / "ascii/top.txt", TextData(1 << 20, 4));
    const auto ascii = FilesOnly(Snapshot(dir / "ascii"));
    const std::string in = "cd " + Quote(dir / "src") + " && ";
    const std::string inAscii = "cd " + Quote(dir / "ascii") + " && ";
    struct Case {
        std::string name;
        std::string command;
        std::string password;
    };
    const std::vector<Case> cases = {
        {"zip-r", inAscii + "zip -q -r ../zip-r.zip .", ""},
        {"zip-P", inAscii + "zip -q -r -P pa55 ../zip-P.zip .", "pa55"},
        {"zip-fz", inAscii + "zip -q -r -fz ../zip-fz.zip .", ""},
        {"zip-pipe", inAscii + "zip -q -r - . | cat > ../zip-pipe.zip", ""},
        {"7z-deflate", in + "7z a -tzip -mm=Deflate ../7z-deflate.zip . >/dev/null", ""},
        {"7z-store", in + "7z a -tzip -mx=0 ../7z-store.zip . >/dev/null", ""},
        {"python-deflate",
         in + kPython +
             " -c 'import os,zipfile\nz=zipfile.ZipFile(\"../python-deflate.zip\",\"w\","
             "zipfile.ZIP_DEFLATED)\nfor d,_,fs in os.walk(\".\"):\n for f in fs: "
             "z.write(os.path.join(d,f))'",
         ""},
        {"python-store",
         in + kPython +
             " -c 'import os,zipfile\nz=zipfile.ZipFile(\"../python-store.zip\",\"w\")\n"
             "for d,_,fs in os.walk(\".\"):\n for f in fs: z.write(os.path.join(d,f))'",
         ""},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(Shell(c.command).ExitCode, 0) << c.name;
        const std::string out = dir / ("out-" + c.name);
        const std::string password = c.password.empty() ? "" : " --password " + c.password;
        const CommandResult r = Shell(Quote(kAlbumzip) + " unpack" + password + " " +
                                      Quote(dir / (c.name + ".zip")) + " " + Quote(out));
        EXPECT_EQ(r.ExitCode, 0) << c.name << ": " << r.Output;
        const auto unpacked = FilesOnly(Snapshot(out));
        const bool infoZip = c.name.rfind("zip-", 0) == 0;
        EXPECT_TRUE(unpacked == (infoZip ? ascii : source))
            << c.name << ": " << Shell("ls -R " + Quote(out)).Output;
    }

    // One member to standard output, and a mask.
    const CommandResult cat =
        Shell(Quote(kAlbumzip) + " cat " + Quote(dir / "zip-r.zip") + " " + Quote("a b/c d.txt"));
    EXPECT_EQ(cat.ExitCode, 0);
    EXPECT_TRUE(cat.Output == ReadFile(dir / "ascii/a b/c d.txt"));
    ASSERT_EQ(Shell(Quote(kAlbumzip) + " extract " + Quote(dir / "7z-store.zip") + " " +
                    Quote(dir / "masked") + " " + Quote("caf\xc3\xa9\\*.*"))
                  .ExitCode,
              0);
    EXPECT_TRUE(FilesOnly(Snapshot(dir / "masked")) ==
                (std::map<std::string, std::string>{
                    {"caf\xc3\xa9/\xc3\xa9t\xc3\xa9 na\xc3\xafve.jpg",
                     ReadFile(dir / "src/caf\xc3\xa9/\xc3\xa9t\xc3\xa9 na\xc3\xafve.jpg")}}));
    const CommandResult missing =
        Shell(Quote(kAlbumzip) + " cat " + Quote(dir / "zip-r.zip") + " nope.txt");
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Output.find("nope.txt"), std::string::npos);
}

TEST(AlbumzipInteropTest, MoreThan65535Entries) {
    ScratchDir dir;
    const std::string zipFile = dir / "many.zip";
    const std::string script = "import sys,zipfile\n"
                               "z=zipfile.ZipFile(sys.argv[1],'w')\n"
                               "for i in range(65600): z.writestr('d%03d/f%05d' % (i//1000, i),"
                               " str(i))\n"
                               "z.close()\n";
    ASSERT_EQ(Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(zipFile)).ExitCode,
              0);
    // The whole directory is read; one folder of it is unpacked, and the last member.
    const CommandResult r = Shell(Quote(kAlbumzip) + " extract " + Quote(zipFile) + " " +
                                  Quote(dir / "out") + " " + Quote("d065\\*.*"));
    ASSERT_EQ(r.ExitCode, 0) << r.Output;
    size_t count = 0;
    bool same = true;
    for (const auto& e : fs::directory_iterator(dir / "out/d065")) {
        ++count;
        same = same && ReadFile(e.path().string()) ==
                           std::to_string(std::stoi(e.path().filename().string().substr(1)));
    }
    EXPECT_EQ(count, 600u);
    EXPECT_TRUE(same);
    EXPECT_EQ(Shell(Quote(kAlbumzip) + " cat " + Quote(zipFile) + " d000/f00007").Output, "7");
    EXPECT_FALSE(fs::exists(dir / "out/d000"));
}

// Absolute paths do not depend on the current folder, which may be gone.
TEST(AlbumzipInteropTest, AbsolutePathsWorkFromADeletedFolder) {
    ScratchDir dir;
    WriteFile(dir / "src/a/b.txt", "b");
    const std::string from = "mkdir " + Quote(dir / "gone") + " && cd " + Quote(dir / "gone") +
                             " && rmdir " + Quote(dir / "gone") + " && " + Quote(kAlbumzip);
    const CommandResult pack =
        Shell(from + " pack " + Quote(dir / "src") + " " + Quote(dir / "g.zip"));
    ASSERT_EQ(pack.ExitCode, 0) << pack.Output;
    const CommandResult unpack =
        Shell(from + " unpack " + Quote(dir / "g.zip") + " " + Quote(dir / "out"));
    ASSERT_EQ(unpack.ExitCode, 0) << unpack.Output;
    EXPECT_EQ(ReadFile(dir / "out/a/b.txt"), "b");
}

TEST(AlbumzipInteropTest, FailuresExitWithTheEnginesMessage) {
    ScratchDir dir;
    const CommandResult usage = Shell(Quote(kAlbumzip) + " frobnicate");
    EXPECT_EQ(usage.ExitCode, 2);
    const CommandResult missing =
        Shell(Quote(kAlbumzip) + " unpack " + Quote(dir / "none.zip") + " " + Quote(dir / "o"));
    EXPECT_EQ(missing.ExitCode, 1);
    EXPECT_NE(missing.Output.find("Native error: 00012"), std::string::npos) << missing.Output;
    EXPECT_FALSE(fs::exists(dir / "none.zip"));
    WriteFile(dir / "junk.zip", "this is not an archive at all");
    const CommandResult junk =
        Shell(Quote(kAlbumzip) + " unpack " + Quote(dir / "junk.zip") + " " + Quote(dir / "o"));
    EXPECT_EQ(junk.ExitCode, 1);
    EXPECT_NE(junk.Output.find("albumzip: "), std::string::npos);
    // Members whose directory is lost behind an end record of an empty one: nothing unpacks,
    // which is no success.
    WriteFile(dir / "src/a.txt", "a");
    ASSERT_EQ(Shell(Quote(kAlbumzip) + " pack " + Quote(dir / "src") + " " + Quote(dir / "m.zip"))
                  .ExitCode,
              0);
    std::string bytes = ReadFile(dir / "m.zip");
    const size_t directory =
        size_t(uint8_t(bytes[bytes.size() - 6])) | size_t(uint8_t(bytes[bytes.size() - 5])) << 8;
    bytes.resize(directory);
    const std::string empty = {
        'P', 'K', 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, char(directory), char(directory >> 8),
        0,   0,   0, 0};
    WriteFile(dir / "m.zip", bytes + empty);
    const CommandResult none =
        Shell(Quote(kAlbumzip) + " unpack " + Quote(dir / "m.zip") + " " + Quote(dir / "m"));
    EXPECT_EQ(none.ExitCode, 1) << none.Output;
}

// Info-ZIP zip on this system stores names as the UTF-8 bytes they are, without flag bit 11,
// and says so only by naming a Unix host. They unpack under their own names, as unzip and 7z
// show them; the names of an archive from an MS-DOS host stay code page 437.
TEST(AlbumzipInteropTest, NamesFromAUnixHostAreUtf8) {
    if (!HaveAllTools())
        GTEST_SKIP() << "zip, unzip or 7z is not installed";
    ScratchDir dir;
    MakeMixedTree(dir / "src");
    const auto source = FilesOnly(Snapshot(dir / "src"));
    ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && LC_ALL=C zip -q -r ../unix.zip .").ExitCode,
              0);
    ASSERT_EQ(
        Shell("cd " + Quote(dir / "src") + " && LC_ALL=C.UTF-8 zip -q -r ../unix-u.zip .").ExitCode,
        0);
    for (const std::string name : {"unix", "unix-u"}) {
        const std::string out = dir / ("out-" + name);
        const CommandResult r =
            Shell(Quote(kAlbumzip) + " unpack " + Quote(dir / (name + ".zip")) + " " + Quote(out));
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
        EXPECT_TRUE(FilesOnly(Snapshot(out)) == source)
            << name << ": " << Shell("ls -R " + Quote(out)).Output;
    }
    // A member found by its real name, and one member of a folder with an accented name.
    const CommandResult cat =
        Shell(Quote(kAlbumzip) + " cat " + Quote(dir / "unix.zip") + " " +
              Quote("\xe6\x97\xa5\xe6\x9c\xac/\xe5\x86\x99\xe7\x9c\x9f 1.jpg"));
    EXPECT_EQ(cat.ExitCode, 0);
    EXPECT_TRUE(cat.Output == RandomData(3000, 3));

    // The same name bytes from an MS-DOS host are code page 437 text.
    const std::string script = "import sys,zipfile\n"
                               "z=zipfile.ZipFile(sys.argv[1],'w')\n"
                               "for host in (0,3):\n"
                               " i=zipfile.ZipInfo('h%dXY.txt' % host)\n"
                               " i.create_system=host\n"
                               " z.writestr(i,'host %d' % host)\n"
                               "i=zipfile.ZipInfo('boxXYZUVW.txt')\n"
                               "i.create_system=3\n"
                               "z.writestr(i,'box')\n"
                               "z.close()\n"
                               "b=open(sys.argv[1],'rb').read()\n"
                               "for host in (0,3):\n"
                               " b=b.replace(b'h%dXY' % host,b'h%d\\xc3\\xa9' % host)\n"
                               "b=b.replace(b'XYZUVW','\\u251c\\u2310'.encode())\n"
                               "open(sys.argv[1],'wb').write(b)\n";
    ASSERT_EQ(Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(dir / "hosts.zip"))
                  .ExitCode,
              0);
    const CommandResult hosts = Shell(Quote(kAlbumzip) + " unpack " + Quote(dir / "hosts.zip") +
                                      " " + Quote(dir / "out-hosts"));
    EXPECT_EQ(hosts.ExitCode, 0) << hosts.Output;
    EXPECT_TRUE(FilesOnly(Snapshot(dir / "out-hosts")) ==
                (std::map<std::string, std::string>{
                    {"h0\xe2\x94\x9c\xe2\x8c\x90.txt", "host 0"},
                    {"h3\xc3\xa9.txt", "host 3"},
                    // Read once as what it is, never taken for code page 437 a second time.
                    {"box\xe2\x94\x9c\xe2\x8c\x90.txt", "box"}}))
        << Shell("ls " + Quote(dir / "out-hosts")).Output;
}

// A folder that cannot be read would leave its files out of the archive without a word: the
// save fails instead, and the previous archive stays. Needs a user whom permissions stop.
TEST(AlbumzipInteropTest, UnreadableFolderFailsThePack) {
    ScratchDir dir;
    std::string prefix;
    if (::geteuid() == 0) {
        if (!HaveTool("setpriv"))
            GTEST_SKIP() << "running as root without setpriv";
        prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
        fs::permissions(dir.Path(), fs::perms::all);
    }
    WriteFile(dir / "src/a.txt", "a");
    WriteFile(dir / "src/locked/b.txt", "b");
    fs::permissions(dir / "src", fs::perms::all);
    fs::permissions(dir / "src/a.txt", fs::perms::all);
    const std::string run =
        prefix + Quote(kAlbumzip) + " pack " + Quote(dir / "src") + " " + Quote(dir / "album.zip");
    ASSERT_EQ(Shell(run).ExitCode, 0) << Shell(run).Output;
    const std::string before = ReadFile(dir / "album.zip");
    fs::permissions(dir / "src/locked", fs::perms::none);
    const CommandResult r = Shell(run);
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Output.find("Native error: 00033"), std::string::npos) << r.Output;
    EXPECT_NE(r.Output.find("locked"), std::string::npos) << r.Output;
    EXPECT_TRUE(ReadFile(dir / "album.zip") == before);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.Path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"album.zip", "src"}));
}

// Accented names that fit the OEM code page are stored in it for older readers, with their
// real form beside them: every tool on Linux lists them as they are.
TEST(AlbumzipInteropTest, AccentedNamesComeOutRightInEveryTool) {
    if (!HaveAllTools() || !HaveTool("bsdtar"))
        GTEST_SKIP() << "zip, unzip, 7z or bsdtar is not installed";
    ScratchDir dir;
    const std::vector<std::string> names = {"café.txt", "été/ñandú.jpg", "plain.txt"};
    for (const std::string& name : names)
        WriteFile(dir / ("src/" + name), TextData(500, 1));
    const std::string zip = dir / "a.zip";
    const CommandResult packed =
        Shell(Quote(kAlbumzip) + " pack " + Quote(dir / "src") + " " + Quote(zip));
    ASSERT_EQ(packed.ExitCode, 0) << packed.Output;
    const std::vector<std::string> listers = {"LC_ALL=C.UTF-8 unzip -Z1 " + Quote(zip),
                                              "LC_ALL=C.UTF-8 7z l -ba -slt " + Quote(zip),
                                              "LC_ALL=C.UTF-8 bsdtar -tf " + Quote(zip)};
    for (const std::string& lister : listers) {
        SCOPED_TRACE(lister);
        const CommandResult r = Shell(lister);
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
        for (const std::string& name : names)
            EXPECT_NE(r.Output.find(name), std::string::npos) << name << "\n" << r.Output;
    }
    // The stored name itself is still the OEM one, so older readers keep reading it.
    const auto bytes = ReadBytes(zip);
    EXPECT_NE(std::string(bytes.begin(), bytes.end()).find("caf\x82.txt"), std::string::npos);
}

// Music and Flash files are stored by their names, whatever they hold; any other member that
// deflate does not shrink is stored too. Every tool reads the result.
TEST(AlbumzipInteropTest, StoresWhatDeflateCannotShrink) {
    if (!HaveAllTools() || !HaveTool("bsdtar"))
        GTEST_SKIP() << "zip, unzip, 7z or bsdtar is not installed";
    ScratchDir dir;
    const std::map<std::string, std::pair<std::string, int>> members = {
        {"album.xml", {TextData(4000, 1), 8}},
        {"data.xml", {TextData(40000, 2), 8}},
        {"index.swf", {TextData(20000, 3), 0}},
        {"noise.dat", {RandomData(524289, 4), 0}},
        {"one.dat", {RandomData(1, 5), 0}},
        {"song.MP3", {TextData(300000, 6), 0}},
        {"tail.dat", {RandomData(2 << 20, 7) + TextData(300000, 7), 8}}};
    std::string expected;
    for (const auto& [name, member] : members) {
        WriteFile(dir / ("src/" + name), member.first);
        expected += name + " " + std::to_string(member.second) + "\n";
    }
    const std::string zipFile = dir / "album.zip";
    ASSERT_EQ(
        Shell(Quote(kAlbumzip) + " pack " + Quote(dir / "src") + " " + Quote(zipFile)).ExitCode, 0);
    const std::string methods =
        "import sys,zipfile\nfor i in sorted(zipfile.ZipFile(sys.argv[1])."
        "infolist(), key=lambda i: i.filename): print(i.filename, i.compress_type)";
    EXPECT_EQ(Shell(std::string(kPython) + " -c " + Quote(methods) + " " + Quote(zipFile)).Output,
              expected);
    const CommandResult unzipTest = Shell("unzip -t " + Quote(zipFile));
    EXPECT_EQ(unzipTest.ExitCode, 0) << unzipTest.Output;
    ExpectSevenZipOk("7z t " + Quote(zipFile));
    fs::create_directories(dir / "bsdtar");
    EXPECT_EQ(Shell("bsdtar -xf " + Quote(zipFile) + " -C " + Quote(dir / "bsdtar")).ExitCode, 0);
    EXPECT_TRUE(Snapshot(dir / "bsdtar") == Snapshot(dir / "src"));
}
