#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/directory/DirItem.h"
#include "zip/directory/DirManager.h"
#include "zip/streams/FileStream.h"
#include "zip/streams/MemoryStream.h"

#include <gtest/gtest.h>

#include <functional>

using namespace zip;
using namespace ziptest;

namespace {

void Abort(TZABaseArchiver& a) {
    a.OnProcessFileFailure = [](TZABaseArchiver&, const std::string&, TZAProcessOperation, int, int,
                                const std::string&,
                                TZAAction& action) { action = TZAAction::fxaAbort; };
}

// An existing archive of three members and a folder with one changed and one new file.
struct Fixture {
    ScratchDir dir;
    std::string zipFile = dir / "album.zip";
    std::string original;

    Fixture() {
        WriteFile(dir / "v1/a.txt", TextData(700000, 1));
        WriteFile(dir / "v1/b.txt", TextData(600000, 2));
        WriteFile(dir / "v1/c.bin", RandomData(200000, 3));
        TZipArchiver a;
        a.FileName = zipFile;
        a.OpenArchive();
        a.BaseDir = dir / "v1";
        a.AddFiles("*.*");
        a.CloseArchive();
        original = ReadFile(zipFile);
        WriteFile(dir / "v2/b.txt", TextData(650000, 4));
        WriteFile(dir / "v2/d.txt", TextData(1200000, 5));
    }

    // Runs one update of the archive through a stream that fails the given read or write;
    // returns whether the update completed.
    bool Update(const std::string& mask, int failRead, int failWrite, int* reads = nullptr,
                int* writes = nullptr, const std::function<void(TZipArchiver&)>& setup = {}) {
        auto file = FileStream::Open(zipFile, TZAFileMode::fmOpenReadWrite);
        FaultyStream faulty(*file, failRead, failWrite);
        bool completed = false;
        TZipArchiver a;
        Abort(a);
        a.TempDir = dir / "tmp";
        if (setup)
            setup(a);
        try {
            a.OpenArchiveStream(faulty, 34);
            faulty.Arm();
            a.BaseDir = dir / "v2";
            a.AddFiles(mask);
            completed = a.LastOutcome().Succeeded();
        } catch (const std::exception&) {
        }
        a.CloseArchive();
        if (reads)
            *reads = faulty.Reads();
        if (writes)
            *writes = faulty.Writes();
        return completed;
    }
};

// The Python audit of an archive: members follow each other without gaps up to the directory.
bool NoDeadSpace(const std::string& zipFile) {
    const std::string script = "import sys,zipfile,struct\n"
                               "z=zipfile.ZipFile(sys.argv[1]);f=open(sys.argv[1],'rb');pos=0\n"
                               "for i in sorted(z.infolist(),key=lambda i:i.header_offset):\n"
                               "  assert i.header_offset==pos,(i.filename,i.header_offset,pos)\n"
                               "  f.seek(pos);h=f.read(30);n,e=struct.unpack('<HH',h[26:30])\n"
                               "  pos+=30+n+e+i.compress_size\n"
                               "assert pos==z.start_dir,(pos,z.start_dir)\n";
    return Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(zipFile)).ExitCode ==
           0;
}

} // namespace

TEST(TransactionTest, EveryInjectedFaultLeavesTheArchiveAsItWas) {
    for (const std::string mask : {"d.txt", "b.txt"}) {
        Fixture f;
        fs::create_directories(f.dir / "tmp");
        int reads = 0, writes = 0;
        ASSERT_TRUE(f.Update(mask, 0, 0, &reads, &writes)) << mask;
        const std::string updated = ReadFile(f.zipFile);
        ASSERT_NE(updated, f.original);
        ASSERT_GE(reads, 1);
        ASSERT_GT(writes, 3);
        for (int n = 1; n <= reads + writes; ++n) {
            WriteFile(f.zipFile, f.original);
            const bool failRead = n <= reads;
            const bool completed = f.Update(mask, failRead ? n : 0, failRead ? 0 : n - reads);
            const std::string after = ReadFile(f.zipFile);
            if (completed)
                EXPECT_TRUE(after == updated) << mask << " fault " << n;
            else
                EXPECT_TRUE(after == f.original)
                    << mask << " fault " << n << " changed the archive";
            EXPECT_TRUE(fs::is_empty(f.dir / "tmp")) << mask << " fault " << n;
        }
    }
}

TEST(TransactionTest, CancelAtAnyProgressStepLeavesTheArchiveAsItWas) {
    Fixture f;
    int events = 0;
    auto counting = [&](TZipArchiver& a) {
        a.OnOverallProgress = [&](TZABaseArchiver&, double, TZAProcessOperation, TZAProgressPhase,
                                  bool&) { ++events; };
        a.OnFileProgress = [&](TZABaseArchiver&, const std::string&, double, TZAProcessOperation,
                               TZAProgressPhase, bool&) { ++events; };
    };
    ASSERT_TRUE(f.Update("*.*", 0, 0, nullptr, nullptr, counting));
    const std::string updated = ReadFile(f.zipFile);
    const int total = events;
    ASSERT_GT(total, 8);
    for (int k = 1; k <= total; ++k) {
        WriteFile(f.zipFile, f.original);
        int seen = 0;
        auto cancelling = [&](TZipArchiver& a) {
            a.OnOverallProgress = [&](TZABaseArchiver&, double, TZAProcessOperation,
                                      TZAProgressPhase, bool& cancel) { cancel = ++seen == k; };
            a.OnFileProgress = [&](TZABaseArchiver&, const std::string&, double,
                                   TZAProcessOperation, TZAProgressPhase,
                                   bool& cancel) { cancel = ++seen == k; };
        };
        const bool completed = f.Update("*.*", 0, 0, nullptr, nullptr, cancelling);
        const std::string after = ReadFile(f.zipFile);
        if (completed)
            EXPECT_TRUE(after == updated) << "cancel at " << k;
        else
            EXPECT_TRUE(after == f.original) << "cancel at " << k << " changed the archive";
    }
}

TEST(TransactionTest, AppendKeepsEverythingBeforeTheDirectory) {
    Fixture f;
    TZipArchiver a;
    a.FileName = f.zipFile;
    a.OpenArchive();
    const int64_t directory =
        int64_t(a.Item(2).LocalHeaderOffset64()) + 30 + 5 + int64_t(a.Item(2).CompressedSize64());
    a.TempDir = f.dir / "tmp";
    fs::create_directories(a.TempDir);
    a.BaseDir = f.dir / "v2";
    a.AddFiles("d.txt");
    a.CloseArchive();
    const std::string after = ReadFile(f.zipFile);
    EXPECT_EQ(after.substr(0, size_t(directory)), f.original.substr(0, size_t(directory)));
    EXPECT_TRUE(fs::is_empty(a.TempDir));
    EXPECT_EQ(Shell("unzip -tq " + Quote(f.zipFile)).ExitCode, 0);
}

TEST(TransactionTest, UpdateInTheMiddleCopiesTheRest) {
    Fixture f;
    auto dataOf = [&](const std::string& zipFile, int index) {
        TZipArchiver a;
        a.FileName = zipFile;
        a.OpenArchive();
        const TDirItem item = a.Item(index);
        const std::string bytes = ReadFile(zipFile);
        return bytes.substr(size_t(item.LocalHeaderOffset64()) + 30 + item.Name.size(),
                            size_t(item.CompressedSize64()));
    };
    const std::string third = dataOf(f.zipFile, 2);
    TZipArchiver a;
    a.FileName = f.zipFile;
    a.TempDir = f.dir / "tmp";
    fs::create_directories(a.TempDir);
    a.OpenArchive();
    a.BaseDir = f.dir / "v2";
    a.AddFiles("b.txt");
    EXPECT_TRUE(a.LastOutcome().Succeeded());
    a.CloseArchive();
    EXPECT_EQ(dataOf(f.zipFile, 2), third);
    EXPECT_TRUE(fs::is_empty(a.TempDir));
    EXPECT_EQ(Shell("unzip -tq " + Quote(f.zipFile)).ExitCode, 0);
    EXPECT_EQ(Shell("cd " + Quote(f.dir / "tmp") + " && unzip -q " + Quote(f.zipFile) +
                    " b.txt && cmp b.txt " + Quote(f.dir / "v2/b.txt"))
                  .ExitCode,
              0);
    const auto test = Shell(std::string(kPython) +
                            " -c 'import sys,zipfile;"
                            "print(zipfile.ZipFile(sys.argv[1]).testzip())' " +
                            Quote(f.zipFile));
    EXPECT_EQ(test.Output, "None\n");
}

TEST(TransactionTest, LargeTailIsKeptInATemporaryFile) {
    ScratchDir dir;
    WriteFile(dir / "v1/a.txt", TextData(1000, 1));
    WriteFile(dir / "v1/big.bin", RandomData(9 << 20, 2));
    TZipArchiver a;
    a.FileName = dir / "big.zip";
    a.TempDir = dir / "tmp";
    fs::create_directories(a.TempDir);
    a.OpenArchive();
    a.BaseDir = dir / "v1";
    a.AddFiles("*.*");
    a.CloseArchive();
    const std::string original = ReadFile(dir / "big.zip");

    WriteFile(dir / "v2/a.txt", TextData(2000, 3));
    a.OpenArchive();
    a.BaseDir = dir / "v2";
    int tempFiles = 0;
    a.OnFileProgress = [&](TZABaseArchiver&, const std::string&, double, TZAProcessOperation,
                           TZAProgressPhase phase, bool& cancel) {
        for (const auto& e : fs::directory_iterator(dir / "tmp"))
            tempFiles += e.path().filename().string().rfind("FC", 0) == 0;
        cancel = phase == TZAProgressPhase::ppStart;
    };
    a.AddFiles("a.txt");
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Cancelled);
    EXPECT_EQ(tempFiles, 1);
    EXPECT_TRUE(ReadFile(dir / "big.zip") == original);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));

    a.OnFileProgress = nullptr;
    a.AddFiles("a.txt");
    EXPECT_TRUE(a.LastOutcome().Succeeded());
    a.CloseArchive();
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "big.zip")).ExitCode, 0);
    EXPECT_EQ(Shell("unzip -p " + Quote(dir / "big.zip") + " a.txt").Output, TextData(2000, 3));
}

TEST(TransactionTest, IgnoredFailureDropsOnlyThatMember) {
    ScratchDir dir;
    WriteFile(dir / "src/1.txt", TextData(1000, 1));
    WriteFile(dir / "src/2.txt", TextData(1000, 2));
    WriteFile(dir / "src/3.txt", TextData(1000, 3));
    TZipArchiver a;
    a.FileName = dir / "i.zip";
    a.OpenArchive();
    a.BaseDir = dir / "src";
    // The second source vanishes between the search and the commit.
    a.OnFileProgress = [&](TZABaseArchiver&, const std::string&, double, TZAProcessOperation,
                           TZAProgressPhase phase, bool&) {
        if (phase == TZAProgressPhase::ppStart)
            fs::remove(dir / "src/2.txt");
    };
    std::vector<int> codes;
    a.OnProcessFileFailure = [&](TZABaseArchiver&, const std::string&, TZAProcessOperation,
                                 int native, int, const std::string&, TZAAction& action) {
        codes.push_back(native);
        action = TZAAction::fxaIgnore;
    };
    a.AddFiles("*.*");
    EXPECT_EQ(codes, std::vector<int>{33});
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Incomplete);
    EXPECT_EQ(a.LastOutcome().Failed, 1);
    EXPECT_FALSE(a.LastOutcome().Succeeded());
    EXPECT_EQ(a.Count(), 2);
    a.CloseArchive();
    EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "i.zip")).ExitCode, 0);
    EXPECT_TRUE(NoDeadSpace(dir / "i.zip"));
}

TEST(TransactionTest, MembersWithDataDescriptorsAreCopiedWhole) {
    if (!HaveTool("zip") || !HaveTool("7z"))
        GTEST_SKIP() << "zip or 7z is not installed";
    ScratchDir dir;
    WriteFile(dir / "src/a", TextData(5000, 1));
    WriteFile(dir / "src/b", TextData(6000, 2));
    WriteFile(dir / "src/c", RandomData(3000, 3));
    ASSERT_EQ(Shell("cd " + Quote(dir / "src") + " && zip -q - a b c | cat > ../s.zip").ExitCode,
              0);
    WriteFile(dir / "new/a", TextData(7000, 4));
    TZipArchiver a;
    a.FileName = dir / "s.zip";
    a.OpenArchive();
    a.BaseDir = dir / "new";
    a.AddFiles("a");
    EXPECT_TRUE(a.LastOutcome().Succeeded());
    a.CloseArchive();
    EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "s.zip")).ExitCode, 0);
    const auto seven = Shell("7z t " + Quote(dir / "s.zip"));
    EXPECT_EQ(seven.Output.find("WARNING"), std::string::npos) << seven.Output;
    EXPECT_NE(seven.Output.find("Everything is Ok"), std::string::npos) << seven.Output;
    const auto test = Shell(std::string(kPython) +
                            " -c 'import sys,zipfile;"
                            "print(zipfile.ZipFile(sys.argv[1]).testzip())' " +
                            Quote(dir / "s.zip"));
    EXPECT_EQ(test.Output, "None\n");
}

// A read that fails while the archive is opened must not pass for an archive without an end
// record: the directory would be rebuilt from the local headers and the update would append
// after the old directory.
TEST(TransactionTest, ReadFailureWhileOpeningIsAnErrorAndChangesNothing) {
    Fixture f;
    fs::create_directories(f.dir / "tmp");
    int reads = 0;
    {
        auto file = FileStream::Open(f.zipFile, TZAFileMode::fmOpenReadWrite);
        FaultyStream counting(*file, 0, 0);
        counting.Arm();
        TZipArchiver a;
        a.OpenArchiveStream(counting, 34);
        reads = counting.Reads();
        EXPECT_FALSE(a.Recovered());
        a.CloseArchive();
    }
    ASSERT_GE(reads, 3); // the end record, the place of a Zip64 locator, the directory
    for (int n = 1; n <= reads; ++n) {
        WriteFile(f.zipFile, f.original);
        auto file = FileStream::Open(f.zipFile, TZAFileMode::fmOpenReadWrite);
        FaultyStream faulty(*file, n, 0);
        faulty.Arm();
        TZipArchiver a;
        Abort(a);
        a.TempDir = f.dir / "tmp";
        int code = 0;
        try {
            a.OpenArchiveStream(faulty, 34);
            a.BaseDir = f.dir / "v2";
            a.AddFiles("d.txt");
        } catch (const EZAException& e) {
            code = e.NativeError();
        }
        EXPECT_FALSE(a.Active()) << "read " << n;
        EXPECT_EQ(code, 44) << "read " << n;
        a.CloseArchive();
        EXPECT_TRUE(ReadFile(f.zipFile) == f.original) << "read " << n << " changed the archive";
    }
}

// The same holds while a truncated archive is scanned for its local headers: a read that
// fails is an error, not a shorter list of members.
TEST(TransactionTest, ReadFailureWhileRebuildingIsAnError) {
    Fixture f;
    int64_t directory = 0;
    {
        MemoryStream whole(std::vector<uint8_t>(f.original.begin(), f.original.end()));
        TZADirManager reader(whole, TZADirSettings{}, false);
        reader.ReadDirectory();
        directory = reader.DirectoryPosition();
    }
    const std::vector<uint8_t> cut(f.original.begin(), f.original.begin() + directory);
    int reads = 0;
    {
        MemoryStream stream(cut);
        FaultyStream counting(stream, 0, 0);
        counting.Arm();
        TZADirManager dir(counting, TZADirSettings{}, false);
        dir.ReadDirectory();
        ASSERT_TRUE(dir.Recovered());
        ASSERT_EQ(dir.Working().Count(), 3);
        reads = counting.Reads();
    }
    ASSERT_GE(reads, 4);
    for (int n = 1; n <= reads; ++n) {
        MemoryStream stream(cut);
        FaultyStream faulty(stream, n, 0);
        faulty.Arm();
        TZADirManager dir(faulty, TZADirSettings{}, false);
        int code = 0;
        try {
            dir.ReadDirectory();
        } catch (const EZAException& e) {
            code = e.NativeError();
        }
        EXPECT_EQ(code, 44) << "read " << n;
    }
}

// Two files stored under one name in one transaction: the entry is still an addition, so when
// the later file cannot be read and is ignored, the entry is dropped and the rest is written.
TEST(TransactionTest, AdditionUnderANameAddedBeforeStaysAnAddition) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "first");
    WriteFile(dir / "src/b.txt", "second");
    WriteFile(dir / "src/c.txt", "third");
    TZipArchiver a;
    a.FileName = dir / "n.zip";
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.OnStoreFile = [](TZABaseArchiver&, std::string& name, uint32_t&, std::string&,
                       const std::string&) {
        if (name == "b.txt")
            name = "a.txt";
    };
    a.OnFileProgress = [&](TZABaseArchiver&, const std::string& name, double, TZAProcessOperation,
                           TZAProgressPhase phase, bool&) {
        if (phase == TZAProgressPhase::ppStart && name.size() >= 5 &&
            name.compare(name.size() - 5, 5, "b.txt") == 0)
            fs::remove(dir / "src/b.txt");
    };
    int failures = 0;
    a.OnProcessFileFailure = [&](TZABaseArchiver&, const std::string&, TZAProcessOperation, int,
                                 int, const std::string&, TZAAction& action) {
        ++failures;
        action = TZAAction::fxaIgnore;
    };
    EXPECT_NO_THROW(a.AddFiles("*.*"));
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Incomplete);
    a.CloseArchive();
    EXPECT_EQ(Shell("unzip -tq " + Quote(dir / "n.zip")).ExitCode, 0);
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "n.zip")).Output, "c.txt\n");
}

namespace {

// A stream over another on which every write from the nth on fails (a disk that has filled up
// and stays full); reads and everything else pass through.
class FullFromStream : public Stream {
public:
    FullFromStream(Stream& inner, int n) : inner_(inner), n_(n) {}
    void Arm() { armed_ = true; }
    int64_t Read(void* buffer, int64_t count) override { return inner_.Read(buffer, count); }
    int64_t Write(const void* buffer, int64_t count) override {
        if (armed_ && ++writes_ >= n_)
            return 0;
        return inner_.Write(buffer, count);
    }
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override {
        return inner_.Seek(offset, origin);
    }
    int64_t Size() override { return inner_.Size(); }
    bool SetSize(int64_t newSize) override { return inner_.SetSize(newSize); }
    bool Flush() override { return inner_.Flush(); }

private:
    Stream& inner_;
    int n_;
    bool armed_ = false;
    int writes_ = 0;
};

} // namespace

// When even putting the saved bytes back fails, they are not thrown away: they stay in a file
// that the error names, and that file and the cut archive together are the archive as it was.
TEST(TransactionTest, FailedRestoreKeepsTheOnlyCopyOfTheRest) {
    Fixture f;
    fs::create_directories(f.dir / "tmp");
    auto file = FileStream::Open(f.zipFile, TZAFileMode::fmOpenReadWrite);
    ASSERT_TRUE(file);
    FullFromStream full(*file, 3);
    TZipArchiver a;
    Abort(a);
    a.TempDir = f.dir / "tmp";
    a.OpenArchiveStream(full, 34);
    full.Arm();
    a.BaseDir = f.dir / "v2";
    std::string message;
    try {
        a.AddFiles("b.txt");
        FAIL() << "the archive was restored on a full disk";
    } catch (const EZAPlainError& e) {
        message = e.what();
    }
    a.CloseArchive();
    file.reset();
    const size_t open = message.find('"');
    const size_t close = message.rfind('"');
    ASSERT_NE(open, std::string::npos) << message;
    ASSERT_LT(open, close) << message;
    const std::string kept = message.substr(open + 1, close - open - 1);
    EXPECT_EQ(kept.rfind(f.dir / "tmp/FC", 0), 0u) << kept;
    const std::string cut = ReadFile(f.zipFile);
    EXPECT_LT(cut.size(), f.original.size());
    EXPECT_TRUE(cut + ReadFile(kept) == f.original);
}

// Other writers may list members in another order than their records lie in. Rewriting from a
// member in the middle of the directory must then also rewrite the members listed before it
// whose records lie after it, or they would be cut off.
TEST(TransactionTest, MembersOutOfDirectoryOrderSurviveAnUpdate) {
    // Records in the file: c.txt, a.txt, b.txt; the directory lists a.txt, b.txt, c.txt.
    const std::string script = "import sys,zipfile\n"
                               "z=zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED)\n"
                               "for n in 'cab': z.writestr(n+'.txt',(n*3000).encode())\n"
                               "z.filelist.sort(key=lambda i: i.filename)\n"
                               "z.close()\n";
    for (const std::string updated : {"b.txt", "c.txt"}) {
        SCOPED_TRACE(updated);
        ScratchDir dir;
        const std::string zipFile = dir / "order.zip";
        ASSERT_EQ(
            Shell(std::string(kPython) + " -c " + Quote(script) + " " + Quote(zipFile)).ExitCode,
            0);
        WriteFile(dir / ("v2/" + updated), TextData(5000, 3));
        TZipArchiver a;
        a.FileName = zipFile;
        a.OpenArchive();
        ASSERT_EQ(a.Item(1).Name, "b.txt");
        ASSERT_LT(a.Item(2).LocalHeaderOffset64(), a.Item(0).LocalHeaderOffset64());
        a.BaseDir = dir / "v2";
        a.AddFiles(updated);
        EXPECT_TRUE(a.LastOutcome().Succeeded()) << a.LastOutcome().LastError;
        a.CloseArchive();

        EXPECT_EQ(Shell("unzip -tq " + Quote(zipFile)).ExitCode, 0);
        TZipArchiver check;
        check.FileName = zipFile;
        check.OpenArchive();
        for (const std::string name : {"a.txt", "b.txt", "c.txt"}) {
            MemoryStream out;
            check.ExtractToStream(name, out);
            const std::string expected =
                name == updated ? TextData(5000, 3) : std::string(3000, name[0]);
            EXPECT_TRUE(std::string(out.Bytes().begin(), out.Bytes().end()) == expected) << name;
        }
    }
}
