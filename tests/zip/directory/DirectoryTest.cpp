#include <gtest/gtest.h>

#include <map>

#include "tests/zip/TestArchive.h"
#include "tests/zip/TestTools.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/codec/Crc32.h"
#include "zip/records/LittleEndian.h"
#include "zip/streams/FileStream.h"

using namespace zip;
using namespace ziptest;

namespace {

// A tool the test cannot do without: scripts/deps installs it, so its absence is a failure of
// the set-up, never a reason to pass.
bool NeedTool(const std::string& tool) {
    if (HaveTool(tool))
        return true;
    ADD_FAILURE() << tool << " is not installed";
    return false;
}

std::vector<Member> FixtureMembers() {
    return {
        {"empty.txt", {}, 1},
        {"text.txt", TextBytes(200 * 1024, 1), 1},
        {"photo.jpg", RandomBytes(2 * 1024 * 1024, 2), 1},
        {"sub/", {}, 0, {}, true},
        {"sub/deep/", {}, 0, {}, true},
        {"sub/deep/note.txt", TextBytes(3000, 3), 1},
        {"emptydir/", {}, 0, {}, true},
        {"chunk.bin", TextBytes(524288, 4), 1},
        {"chunk1.bin", TextBytes(524289, 5), 1},
        {"café ñ.txt", Bytes("café"), 1},
        {"日本.txt", Bytes("nihon"), 1},
    };
}

std::map<std::string, std::vector<uint8_t>> AsMap(const std::vector<Extracted>& items) {
    std::map<std::string, std::vector<uint8_t>> out;
    for (const auto& e : items)
        out[e.Name] = e.Data;
    return out;
}

// Every central entry points at a local header that agrees with it, and the records and the
// directory account for every byte of the file.
void AuditLayout(const std::vector<uint8_t>& bytes) {
    MemoryStream archive(bytes);
    TZADirManager dir(archive, TZADirSettings{}, false);
    dir.ReadDirectory();
    int64_t total = 0;
    for (int32_t i = 0; i < dir.Working().Count(); ++i) {
        const TDirItem& item = dir.Working().At(i);
        SCOPED_TRACE(item.Name);
        const uint64_t offset = item.LocalHeaderOffset64();
        ASSERT_LE(offset + 30, bytes.size());
        const TZALocalHeader local = TZALocalHeader::Decode(bytes.data() + offset);
        EXPECT_EQ(local.Signature, kLocalHeaderSignature);
        EXPECT_EQ(local.Flags, item.Flags);
        EXPECT_EQ(local.Method, item.Method);
        EXPECT_EQ(local.Crc32, item.Crc32);
        EXPECT_EQ(local.VersionNeeded, item.VersionNeeded);
        EXPECT_EQ(local.Time, item.Time);
        EXPECT_EQ(local.Date, item.Date);
        if (local.ExtraLength == 0) {
            EXPECT_EQ(local.CompressedSize, item.CompressedSize);
            EXPECT_EQ(local.UncompressedSize, item.UncompressedSize);
        }
        EXPECT_EQ(local.NameLength, item.NameLength);
        EXPECT_EQ(std::string(bytes.begin() + offset + 30,
                              bytes.begin() + offset + 30 + local.NameLength),
                  std::string(bytes.begin() + offset + 30,
                              bytes.begin() + offset + 30 + item.NameLength));
        EXPECT_EQ(item.Flags & kFlagDataDescriptor, 0);
        total += 30 + local.NameLength + local.ExtraLength +
                 static_cast<int64_t>(item.CompressedSize64());
    }
    const TZAEndRecord& end = dir.EndRecord();
    total += end.DirectorySize + 22 + end.CommentLength;
    if (dir.HasZip64())
        total += 56 + 20;
    EXPECT_EQ(total, static_cast<int64_t>(bytes.size()));
}

class InteropTest : public testing::Test {
protected:
    ScratchDir temp;
};

} // namespace

TEST_F(InteropTest, EngineArchivesPassEveryReader) {
    const auto members = FixtureMembers();
    const auto bytes = WriterArchive(members, temp / "src");
    AuditLayout(bytes);
    // The file ends with exactly one end record and no comment.
    ASSERT_GE(bytes.size(), 22u);
    EXPECT_EQ(le::Get32(bytes.data() + bytes.size() - 22), kEndRecordSignature);
    EXPECT_EQ(le::Get16(bytes.data() + bytes.size() - 2), 0);

    // The name that fits code page 437 is stored in it; the other one in UTF-8 with bit 11,
    // made by the non-OEM host so that no reader converts it as OEM text.
    const auto back = ExtractAll(bytes);
    ASSERT_EQ(back.size(), members.size());
    std::map<std::string, const Member*> byName;
    for (const Member& m : members)
        byName[m.Name] = &m;
    MemoryStream archive(bytes);
    TZADirManager dir(archive, TZADirSettings{}, false);
    dir.ReadDirectory();
    for (int32_t i = 0; i < dir.Working().Count(); ++i) {
        const TDirItem& item = dir.Working().At(i);
        ASSERT_TRUE(byName.count(item.Name)) << item.Name;
        const Member& member = *byName[item.Name];
        EXPECT_EQ(back[i].Data, member.Data) << item.Name;
        const bool utf8 = item.Name == "日本.txt";
        EXPECT_EQ(item.VersionNeeded, 20);
        EXPECT_EQ(item.VersionMadeBy, utf8 ? 0x0B14 : 20) << item.Name;
        EXPECT_EQ((item.Flags & kFlagUtf8) != 0, utf8) << item.Name;
        EXPECT_EQ(item.IsFolder(), member.Folder);
        if (item.Name == "café ñ.txt") {
            EXPECT_EQ(item.NameLength, 10); // one byte per character
        }
    }

    const std::string path = temp / "engine.zip";
    WriteFile(path, bytes);
    if (NeedTool("unzip")) {
        const auto r = Shell("unzip -t " + Quote(path));
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
        EXPECT_NE(r.Output.find("No errors detected"), std::string::npos) << r.Output;
    }
    if (NeedTool("7z")) {
        const auto r = Shell("7z t " + Quote(path));
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
        EXPECT_NE(r.Output.find("Everything is Ok"), std::string::npos) << r.Output;
        EXPECT_EQ(r.Output.find("WARNING"), std::string::npos) << r.Output;
        EXPECT_EQ(r.Output.find("Headers Error"), std::string::npos) << r.Output;
    }
    const auto py = Shell(std::string(kPython) + " -c " +
                          Quote("import sys,zipfile\n"
                                "z=zipfile.ZipFile(sys.argv[1])\n"
                                "assert z.testzip() is None\n"
                                "n=z.namelist()\n"
                                "assert 'café ñ.txt' in n and '日本.txt' in n, n\n"
                                "assert z.getinfo('sub/').external_attr & 0x10\n"
                                "assert z.getinfo('empty.txt').CRC == 0\n"
                                "print('ok')") +
                          " " + Quote(path));
    EXPECT_EQ(py.ExitCode, 0) << py.Output;
}

TEST_F(InteropTest, EncryptedAndZip64ArchivesPassEveryReader) {
    const std::vector<Member> members = {{"empty.txt", {}, 1, "pässwörd1"},
                                         {"text.txt", TextBytes(70000, 1), 1, "pässwörd1"},
                                         {"stored.bin", RandomBytes(5000, 2), 0, "pässwörd1"}};
    const std::string encrypted = temp / "enc.zip";
    WriteFile(encrypted, WriterArchive(members, temp / "enc"));
    const std::string zip64 = temp / "z64.zip";
    const auto z64Bytes = WriterArchive(
        {{"one.bin", Bytes("x"), 1}, {"d/", {}, 0, {}, true}, {"t.txt", TextBytes(9000, 3), 6}},
        temp / "z64", {TZip64Mode::zmAlways});
    WriteFile(zip64, z64Bytes);
    {
        MemoryStream archive(z64Bytes);
        TZADirManager dir(archive, TZADirSettings{}, false);
        dir.ReadDirectory();
        const TDirItem& one = dir.Working().At(0);
        EXPECT_TRUE(one.HasZip64);
        EXPECT_EQ(one.VersionNeeded, 45);
        EXPECT_EQ(one.CompressedSize, 0xFFFFFFFFu);
        EXPECT_EQ(one.UncompressedSize, 0xFFFFFFFFu);
        EXPECT_EQ(one.LocalHeaderOffset, 0xFFFFFFFFu);
        const TZALocalHeader local = TZALocalHeader::Decode(z64Bytes.data());
        EXPECT_EQ(local.CompressedSize, 0xFFFFFFFFu);
        EXPECT_EQ(local.UncompressedSize, 0xFFFFFFFFu);
        EXPECT_EQ(local.ExtraLength, 20);
        const TDirItem& folder = dir.Working().At(1);
        EXPECT_EQ(folder.UncompressedSize, 0u); // a folder has only its offset in the block
        EXPECT_EQ(folder.LocalHeaderOffset, 0xFFFFFFFFu);
    }
    if (NeedTool("unzip")) {
        auto r = Shell("unzip -t -P 'pässwörd1' " + Quote(encrypted));
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
        r = Shell("unzip -t " + Quote(zip64));
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
    }
    if (NeedTool("7z")) {
        for (const std::string& cmd :
             {"7z t -p'pässwörd1' " + Quote(encrypted), "7z t " + Quote(zip64)}) {
            const auto r = Shell(cmd);
            EXPECT_EQ(r.ExitCode, 0) << r.Output;
            EXPECT_EQ(r.Output.find("WARNING"), std::string::npos) << r.Output;
            EXPECT_EQ(r.Output.find("Headers Error"), std::string::npos) << r.Output;
        }
    }
    const auto py =
        Shell(std::string(kPython) + " -c " +
              Quote("import sys,zipfile\n"
                    "z=zipfile.ZipFile(sys.argv[1]); z.setpassword('pässwörd1'.encode())\n"
                    "assert z.testzip() is None\n"
                    "e=z.getinfo('empty.txt'); assert e.compress_size==12 and e.CRC==0 "
                    "and e.compress_type==0\n"
                    "assert zipfile.ZipFile(sys.argv[2]).testzip() is None\n") +
              " " + Quote(encrypted) + " " + Quote(zip64));
    EXPECT_EQ(py.ExitCode, 0) << py.Output;
}

TEST_F(InteropTest, ForeignArchivesOpenAndExtractByteIdentically) {
    const std::string src = temp / "src";
    std::filesystem::create_directories(src + "/sub");
    const auto text = TextBytes(300000, 7);
    const auto random = RandomBytes(100000, 8);
    WriteFile(src + "/a.txt", text);
    WriteFile(src + "/sub/b.bin", random);
    WriteFile(src + "/empty", std::string());
    std::map<std::string, std::vector<uint8_t>> expected = {
        {"a.txt", text}, {"sub/b.bin", random}, {"empty", {}}};

    std::vector<std::pair<std::string, std::string>> makers; // file, command
    if (NeedTool("zip")) {
        makers.push_back({"zip1.zip", "cd " + Quote(src) + " && zip -q -r -1 ../zip1.zip ."});
        makers.push_back({"zip0.zip", "cd " + Quote(src) + " && zip -q -r -0 ../zip0.zip ."});
        makers.push_back({"zipfz.zip", "cd " + Quote(src) + " && zip -q -r -fz ../zipfz.zip ."});
        makers.push_back(
            {"zipe.zip", "cd " + Quote(src) + " && zip -q -r -e -P secret ../zipe.zip ."});
        makers.push_back(
            {"pipe.zip",
             "cd " + Quote(src) + " && zip -q - a.txt sub/b.bin empty | cat > ../pipe.zip"});
    }
    if (NeedTool("7z")) {
        makers.push_back(
            {"7zd.zip",
             "cd " + Quote(src) + " && 7z a -tzip -mm=Deflate -mx=9 ../7zd.zip . >/dev/null"});
        makers.push_back(
            {"7zc.zip", "cd " + Quote(src) + " && 7z a -tzip -mm=Copy ../7zc.zip . >/dev/null"});
        makers.push_back(
            {"7ze.zip", "cd " + Quote(src) +
                            " && 7z a -tzip -psecret -mem=ZipCrypto ../7ze.zip . >/dev/null"});
    }
    const std::string py =
        "import sys,zipfile,os\n"
        "src,out,kind=sys.argv[1],sys.argv[2],sys.argv[3]\n"
        "class Pipe:\n"
        "  def __init__(s,f): s.f=f\n"
        "  def write(s,b): return s.f.write(b)\n"
        "  def flush(s): s.f.flush()\n"
        "f=open(out,'wb')\n"
        "target=Pipe(f) if kind=='pipe' else f\n"
        "comp=zipfile.ZIP_STORED if kind=='stored' else zipfile.ZIP_DEFLATED\n"
        "with zipfile.ZipFile(target,'w',comp) as z:\n"
        "  z.mkdir('sub') if hasattr(z,'mkdir') else z.writestr('sub/','')\n"
        "  for n in ['a.txt','sub/b.bin','empty']:\n"
        "    with open(os.path.join(src,n),'rb') as g: data=g.read()\n"
        "    with z.open(n,'w',force_zip64=(kind=='zip64')) as w: w.write(data)\n"
        "f.close()\n";
    for (const char* kind : {"stored", "deflated", "zip64", "pipe"})
        makers.push_back({std::string("py-") + kind + ".zip",
                          std::string(kPython) + " -c " + Quote(py) + " " + Quote(src) + " " +
                              Quote(temp / (std::string("py-") + kind + ".zip")) + " " + kind});

    for (const auto& [file, command] : makers) {
        SCOPED_TRACE(file);
        const auto made = Shell(command);
        ASSERT_EQ(made.ExitCode, 0) << made.Output;
        const std::string password = (file == "zipe.zip" || file == "7ze.zip") ? "secret" : "";
        bool recovered = true;
        const auto out = AsMap(ExtractAll(ReadBytes(temp / file), password, &recovered));
        EXPECT_FALSE(recovered);
        for (const auto& [name, data] : expected) {
            ASSERT_TRUE(out.count(name)) << name;
            EXPECT_EQ(out.at(name), data) << name;
        }
    }
}

TEST_F(InteropTest, DataInFrontOfTheArchive) {
    const auto archive = WriterArchive({{"d/", {}, 0, {}, true},
                                        {"d/a.txt", TextBytes(4000, 1), 1},
                                        {"b.bin", RandomBytes(3000, 2), 0}});
    auto prefixed = RandomBytes(1024, 3);
    prefixed.insert(prefixed.end(), archive.begin(), archive.end());
    MemoryStream stream(prefixed);
    TZADirManager dir(stream, TZADirSettings{}, false);
    dir.ReadDirectory();
    EXPECT_EQ(dir.StartOffset(), 1024);
    EXPECT_EQ(dir.DirectoryPosition(), dir.RecordedDirectoryOffset() + 1024);
    // Every entry moved, folders included.
    EXPECT_EQ(dir.Working().At(0).LocalHeaderOffset64(), 1024u);
    const auto out = ExtractAll(prefixed);
    EXPECT_EQ(out[1].Data, TextBytes(4000, 1));
    EXPECT_EQ(out[2].Data, RandomBytes(3000, 2));

    // Offsets that already count the prefix (as "zip -A" writes them) are left alone.
    if (NeedTool("zip")) {
        const std::string path = temp / "sfx.zip";
        WriteFile(path, prefixed);
        const auto r = Shell("zip -q -A " + Quote(path));
        ASSERT_EQ(r.ExitCode, 0) << r.Output;
        const auto adjusted = ReadBytes(path);
        MemoryStream s2(adjusted);
        TZADirManager d2(s2, TZADirSettings{}, false);
        d2.ReadDirectory();
        EXPECT_EQ(d2.Working().At(0).LocalHeaderOffset64(), 1024u);
        EXPECT_EQ(ExtractAll(adjusted)[1].Data, TextBytes(4000, 1));
    }
}

TEST_F(InteropTest, RebuildFromLocalHeaders) {
    const auto members =
        std::vector<Member>{{"folder/", {}, 0, {}, true},
                            {"empty.txt", {}, 1},
                            {"inner.zip", WriterArchive({{"x", Bytes("inner"), 0}}), 0},
                            {"folder/t.txt", TextBytes(5000, 1), 1}};
    const auto bytes = WriterArchive(members, temp / "src");
    MemoryStream whole(bytes);
    TZADirManager reader(whole, TZADirSettings{}, false);
    reader.ReadDirectory();
    const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + reader.DirectoryPosition());

    MemoryStream stream(cut);
    TZADirManager dir(stream, TZADirSettings{}, false);
    dir.ReadDirectory();
    EXPECT_TRUE(dir.Recovered());
    ASSERT_EQ(dir.Working().Count(), 4); // the stored archive's own member is not one of ours
    EXPECT_TRUE(dir.Working().At(0).IsFolder());
    EXPECT_FALSE(dir.Working().At(1).IsFolder()); // an empty file stays a file
    EXPECT_EQ(dir.Working().At(2).Name, "inner.zip");
    const auto out = ExtractAll(cut);
    EXPECT_EQ(out[2].Data, members[2].Data);
    EXPECT_EQ(out[3].Data, TextBytes(5000, 1));

    // Nothing that looks like a local header: error 35.
    MemoryStream junk(RandomBytes(100000, 9));
    TZADirManager none(junk, TZADirSettings{}, false);
    try {
        none.ReadDirectory();
        FAIL();
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 35);
    }
    // Damage not tolerated: no end record is error 48.
    MemoryStream strictStream(cut);
    TZADirManager strict(strictStream, TZADirSettings{"", true, true, false}, false);
    EXPECT_FALSE(strict.FindEndRecord());
    try {
        strict.ReadDirectory();
        FAIL();
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 48);
    }
}

TEST_F(InteropTest, RebuildTakesSizesFromDataDescriptors) {
    if (!NeedTool("zip"))
        return;
    const std::string src = temp / "d";
    std::filesystem::create_directories(src);
    WriteFile(src + "/a.txt", TextBytes(20000, 1));
    WriteFile(src + "/b.txt", TextBytes(100, 2));
    ASSERT_EQ(Shell("cd " + Quote(src) + " && zip -q - a.txt b.txt | cat > ../p.zip").ExitCode, 0);
    auto bytes = ReadBytes(temp / "p.zip");
    MemoryStream whole(bytes);
    TZADirManager reader(whole, TZADirSettings{}, false);
    reader.ReadDirectory();
    ASSERT_NE(reader.Working().At(0).Flags & kFlagDataDescriptor, 0);
    bytes.resize(static_cast<size_t>(reader.DirectoryPosition()));
    const auto out = ExtractAll(bytes);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].Data, TextBytes(20000, 1));
    EXPECT_EQ(out[1].Data, TextBytes(100, 2));
}

TEST_F(InteropTest, EntryCountThresholdForZip64Records) {
    for (const int count : {65534, 65535}) {
        // One empty disk file stored count times, under the names the store event gives it.
        const std::string src = temp / "one";
        WriteFile(src + "/f", std::string());
        int next = 0;
        TZipArchiver writer;
        writer.OnStoreFile = [&next](TZABaseArchiver&, std::string& fileName, uint32_t&,
                                     std::string&, const std::string&) {
            fileName = "f" + std::to_string(next++);
        };
        MemoryStream made;
        writer.OpenArchiveStream(made, kOpenModeCreate);
        writer.BaseDir = src;
        writer.BeginUpdate();
        for (int i = 0; i < count; ++i)
            writer.AddFiles("f");
        writer.EndUpdate();
        writer.CloseArchiveChecked();
        const auto& bytes = made.Bytes();
        const uint8_t* end = bytes.data() + bytes.size() - 22;
        if (count == 65535) {
            EXPECT_EQ(le::Get16(end + 8), 0xFFFF);
            EXPECT_EQ(le::Get16(end + 10), 0xFFFF);
            EXPECT_EQ(le::Get32(end - 20), kZip64LocatorSignature);
            EXPECT_EQ(le::Get32(end - 76), kZip64EndRecordSignature);
            EXPECT_EQ(le::Get64(end - 76 + 32), 65535u);
        } else {
            EXPECT_EQ(le::Get16(end + 10), 65534);
            EXPECT_NE(le::Get32(end - 20), kZip64LocatorSignature);
        }
        if (count == 65535) {
            // Other readers find every entry through the Zip64 records.
            const std::string path = temp / "many.zip";
            WriteFile(path, bytes);
            const auto py = Shell(std::string(kPython) + " -c " +
                                  Quote("import sys,zipfile\n"
                                        "print(len(zipfile.ZipFile(sys.argv[1]).namelist()))") +
                                  " " + Quote(path));
            EXPECT_EQ(py.Output, "65535\n");
            if (NeedTool("7z")) {
                const auto r = Shell("7z l " + Quote(path) + " | tail -1");
                EXPECT_NE(r.Output.find("65535 files"), std::string::npos) << r.Output;
            }
        }
        MemoryStream again(bytes);
        TZADirManager reader(again, TZADirSettings{}, false);
        reader.ReadDirectory();
        EXPECT_EQ(reader.Working().Count(), count);
        int32_t index = -1;
        EXPECT_TRUE(reader.Working().FindByName("f" + std::to_string(count - 1), index));
        EXPECT_EQ(index, count - 1);
    }
}

TEST_F(InteropTest, EmptyArchiveCommentAndKeptExtraBlocks) {
    const auto empty = WriterArchive({});
    EXPECT_EQ(empty.size(), 22u);
    MemoryStream again(empty);
    TZADirManager reader(again, TZADirSettings{}, false);
    reader.ReadDirectory();
    EXPECT_EQ(reader.Working().Count(), 0);
    EXPECT_FALSE(reader.Recovered());

    // A comment holding an end record signature of its own.
    std::string comment = "before PK\x05\x06";
    comment += std::string(18, 'z');
    const auto commented = PythonArchive({{"a", Bytes("a"), 0}}, comment);
    MemoryStream cs(commented);
    TZADirManager cdir(cs, TZADirSettings{}, false);
    cdir.ReadDirectory();
    EXPECT_EQ(cdir.Comment(), comment);
    EXPECT_EQ(cdir.Working().Count(), 1);

    // Blocks of other ids survive a rewrite, after a newly made Zip64 block.
    if (NeedTool("zip")) {
        const std::string src = temp / "x";
        std::filesystem::create_directories(src);
        WriteFile(src + "/f.txt", Bytes("hello"));
        ASSERT_EQ(Shell("cd " + Quote(src) + " && zip -q ../x.zip f.txt").ExitCode, 0);
        MemoryStream zs(ReadBytes(temp / "x.zip"));
        TZADirManager zdir(zs, TZADirSettings{}, false);
        zdir.ReadDirectory();
        const auto blocks = zdir.Working().At(0).ExtraBlocks;
        ASSERT_FALSE(blocks.empty());
        zdir.Working().GetItemPtr(0).SetLocalHeaderOffset64(0, true);
        const int64_t cutAt = zdir.DirectoryPosition();
        zs.SetSize(cutAt);
        zdir.WriteDirectory();
        MemoryStream rs(zs.Bytes());
        TZADirManager rdir(rs, TZADirSettings{}, false);
        rdir.ReadDirectory();
        EXPECT_TRUE(rdir.Working().At(0).HasZip64);
        EXPECT_EQ(rdir.Working().At(0).ExtraBlocks, blocks);
        EXPECT_EQ(ExtractAll(zs.Bytes())[0].Data, Bytes("hello"));
    }
}

TEST_F(InteropTest, NamesWithoutTheOemOption) {
    const auto bytes = WriterArchive({{"café.txt", Bytes("x"), 0}, {"plain.txt", Bytes("y"), 0}},
                                     temp / "src", {TZip64Mode::zmAuto, false});
    MemoryStream s(bytes);
    TZADirManager dir(s, TZADirSettings{"", true, false, true}, false);
    dir.ReadDirectory();
    EXPECT_EQ(dir.Working().At(0).Name, "café.txt");
    EXPECT_EQ(dir.Working().At(0).VersionNeeded, 0x0B14);
    EXPECT_NE(dir.Working().At(0).Flags & kFlagUtf8, 0);
    EXPECT_EQ(dir.Working().At(1).Flags & kFlagUtf8, 0);
}

TEST(FixtureTest, SeedArchivesOpenAsExpected) {
    // The fuzz corpus starts from these; each must stay a readable archive of its kind.
    const std::map<std::string, int> refused = {{"7z-bzip2.zip", 66}, {"7z-deflate64.zip", 55}};
    int seen = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FZ_TEST_DATA "/zip/seeds")) {
        const std::string file = entry.path().filename().string();
        SCOPED_TRACE(file);
        ++seen;
        try {
            bool recovered = true;
            const auto out = ExtractAll(ReadBytes(entry.path().string()), "pw", &recovered);
            EXPECT_FALSE(recovered);
            EXPECT_EQ(refused.count(file), 0u);
            for (const auto& e : out)
                EXPECT_EQ(e.Result, TZAExtractResult::erOk) << e.Name;
        } catch (const EZAException& e) {
            ASSERT_EQ(refused.count(file), 1u) << e.what();
            EXPECT_EQ(e.NativeError(), refused.at(file));
        }
    }
    EXPECT_GE(seen, 10);
}

TEST(DirectoryReadTest, NamesDifferingOnlyInCaseAreTwoMembers) {
    const auto bytes = WriterArchive({{"A.txt", Bytes("upper"), 0}, {"a.txt", Bytes("lower"), 1}});
    MemoryStream s(bytes);
    TZADirManager dir(s, TZADirSettings{}, false);
    dir.ReadDirectory();
    int32_t index = -1;
    ASSERT_TRUE(dir.Working().FindByName("a.txt", index));
    EXPECT_EQ(index, 1);
    ASSERT_TRUE(dir.Working().FindByName("A.txt", index));
    EXPECT_EQ(index, 0);
    const auto out = ExtractAll(bytes);
    EXPECT_EQ(out[0].Data, Bytes("upper"));
    EXPECT_EQ(out[1].Data, Bytes("lower"));
}

TEST(DirectoryReadTest, Zip64EndRecordWithExtensibleData) {
    // A Zip64 end record longer than 56 bytes: the directory still ends where it starts. Our
    // writer never adds extensible data, so the records are put in by hand.
    auto bytes = WriterArchive({{"a.txt", TextBytes(500, 1), 1}, {"b.txt", Bytes("b"), 0}});
    const size_t end = bytes.size() - 22;
    const uint32_t dirOffset = le::Get32(bytes.data() + end + 16);
    const uint32_t dirSize = le::Get32(bytes.data() + end + 12);
    TZAZip64EndRecord rec;
    rec.RecordSize = 44 + 8;
    rec.EntriesOnDisk = rec.TotalEntries = 2;
    rec.DirectorySize = dirSize;
    rec.DirectoryOffset = dirOffset;
    std::vector<uint8_t> tail(56 + 8 + 20, 0xEE);
    rec.Encode(tail.data());
    TZAZip64Locator loc;
    loc.Zip64EndOffset = end;
    loc.Encode(tail.data() + 64);
    std::vector<uint8_t> endRecord(bytes.begin() + end, bytes.end());
    le::Put16(endRecord.data() + 8, 0xFFFF);
    le::Put16(endRecord.data() + 10, 0xFFFF);
    le::Put32(endRecord.data() + 16, 0xFFFFFFFF);
    bytes.resize(end);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    bytes.insert(bytes.end(), endRecord.begin(), endRecord.end());
    MemoryStream s(bytes);
    TZADirManager dir(s, TZADirSettings{}, false);
    dir.ReadDirectory();
    EXPECT_TRUE(dir.HasZip64());
    EXPECT_EQ(dir.DirectoryPosition(), dirOffset);
    EXPECT_EQ(dir.RecordedDirectoryOffset(), dirOffset);
    const auto out = ExtractAll(bytes);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].Data, TextBytes(500, 1));
}

TEST(DirectoryReadTest, StubInFrontOfANewArchive) {
    MemoryStream stub(RandomBytes(1000, 4));
    MemoryStream archive(Bytes("old contents are replaced"));
    TZADirManager dir(archive, TZADirSettings{}, true);
    dir.WriteSFXStub(stub);
    EXPECT_EQ(dir.StartOffset(), 1000);
    dir.WriteDirectory();
    EXPECT_EQ(archive.Size(), 1022);
    EXPECT_EQ(std::vector<uint8_t>(archive.Bytes().begin(), archive.Bytes().begin() + 1000),
              stub.Bytes());
    MemoryStream again(archive.Bytes());
    TZADirManager reader(again, TZADirSettings{}, false);
    reader.ReadDirectory();
    EXPECT_EQ(reader.Working().Count(), 0);
    EXPECT_EQ(reader.StartOffset(), 1000); // an empty archive starts at its end record
}

TEST(DirectoryReadTest, LongNamesAcrossReadBlocks) {
    // Twenty names of 60,000 bytes: the directory is larger than one read block, and entries
    // straddle the block borders. Names this long cannot be disk files: Python writes them.
    std::vector<Member> members;
    for (int i = 0; i < 20; ++i)
        members.push_back(
            {std::string(60000 - 4, char('a' + i)) + ".txt", Bytes(std::to_string(i)), 0});
    const auto bytes = PythonArchive(members);
    const auto out = ExtractAll(bytes);
    ASSERT_EQ(out.size(), members.size());
    for (size_t i = 0; i < out.size(); ++i) {
        EXPECT_EQ(out[i].Name, members[i].Name);
        EXPECT_EQ(out[i].Data, members[i].Data);
    }
}

namespace {

// count empty stored members n0, n1, ... whose end record says 0xFFFF entries without Zip64
// records, as writers that switch to Zip64 only above 65,535 entries leave it. Built by hand:
// our writer adds the Zip64 records, and above 65,535 entries the result is damaged.
std::vector<uint8_t> FullCountWithoutZip64Records(int count) {
    MemoryStream archive;
    TZADirManager dir(archive, TZADirSettings{}, true);
    for (int i = 0; i < count; ++i) {
        TDirItem item;
        item.Name = "n" + std::to_string(i);
        item.VersionMadeBy = item.VersionNeeded = kVersionOem;
        item.ExternalAttributes = faArchive;
        item.SetLocalHeaderOffset64(static_cast<uint64_t>(archive.Position()));
        const auto header =
            TZALocalHeader::FromItem(item, item.Name, false).Assemble(item.Name, false, 0, 0);
        archive.WriteExact(header.data(), static_cast<int64_t>(header.size()));
        dir.Working().Append(std::move(item));
    }
    dir.WriteDirectory();
    std::vector<uint8_t> bytes = archive.Bytes();
    const size_t end = bytes.size() - 22;
    EXPECT_EQ(le::Get32(bytes.data() + end - 20), kZip64LocatorSignature);
    bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(end - 76),
                bytes.begin() + static_cast<std::ptrdiff_t>(end));
    return bytes;
}

struct ReadOutcome {
    int32_t Count;
    bool Recovered;
};

ReadOutcome ReadDirectoryOf(const std::vector<uint8_t>& bytes) {
    MemoryStream s(bytes);
    TZADirManager dir(s, TZADirSettings{}, false);
    dir.ReadDirectory();
    return {dir.Working().Count(), dir.Recovered()};
}

} // namespace

TEST(DirectoryReadTest, FullCountWithoutZip64RecordsIsReadWhenTheDirectoryHoldsExactlyThat) {
    // Exactly 65,535 entries: an intact archive, not one to rebuild and report as damaged.
    const auto exact = FullCountWithoutZip64Records(65535);
    ReadOutcome r = ReadDirectoryOf(exact);
    EXPECT_EQ(r.Count, 65535);
    EXPECT_FALSE(r.Recovered);
    // A directory that holds more entries than the count says, or one that does not parse,
    // is taken from the local headers instead.
    r = ReadDirectoryOf(FullCountWithoutZip64Records(65536));
    EXPECT_EQ(r.Count, 65536);
    EXPECT_TRUE(r.Recovered);
    auto damaged = exact;
    const size_t end = damaged.size() - 22;
    le::Put32(damaged.data() + le::Get32(damaged.data() + end + 16), 0); // first signature
    r = ReadDirectoryOf(damaged);
    EXPECT_EQ(r.Count, 65535);
    EXPECT_TRUE(r.Recovered);

    // Python's zipfile writes 65,535 members this way.
    ScratchDir temp;
    const std::string path = temp / "py65535.zip";
    const auto made = Shell(std::string(kPython) + " -c " +
                            Quote("import sys,zipfile\n"
                                  "with zipfile.ZipFile(sys.argv[1],'w') as z:\n"
                                  "  for i in range(65535): z.writestr('f%d' % i, b'')\n") +
                            " " + Quote(path));
    ASSERT_EQ(made.ExitCode, 0) << made.Output;
    const auto py = ReadBytes(path);
    ASSERT_EQ(le::Get16(py.data() + py.size() - 12), 0xFFFF);
    r = ReadDirectoryOf(py);
    EXPECT_EQ(r.Count, 65535);
    EXPECT_FALSE(r.Recovered);
}

TEST(DirectoryReadTest, RebuildReadsLongNamesAndSkipsOversizedExtraFields) {
    // Three members and no directory: a 300-byte name, then local extra fields of 261 bytes
    // (more than a header of ours can carry: skipped) and of 260 bytes (taken). Built by hand,
    // as no writer leaves the directory out.
    const std::string longName = std::string(296, 'n') + ".txt";
    std::vector<uint8_t> bytes;
    const auto addMember = [&](const std::string& name, size_t extraLength,
                               const std::vector<uint8_t>& data) {
        TDirItem item;
        item.Name = name;
        item.VersionNeeded = kVersionOem;
        item.Crc32 = Crc32Of(data.data(), static_cast<int64_t>(data.size()));
        item.SetCompressedSize64(data.size());
        item.SetUncompressedSize64(data.size());
        TZALocalHeader local = TZALocalHeader::FromItem(item, name, false);
        local.ExtraLength = static_cast<uint16_t>(extraLength);
        auto header = local.Assemble(name, false, 0, 0);
        header.resize(header.size() + extraLength, 0); // one unknown block of zeros
        if (extraLength >= 4)
            le::Put16(header.data() + 30 + name.size() + 2, static_cast<uint16_t>(extraLength - 4));
        bytes.insert(bytes.end(), header.begin(), header.end());
        bytes.insert(bytes.end(), data.begin(), data.end());
    };
    addMember(longName, 0, Bytes("long"));
    addMember("skipped.txt", 261, Bytes("skipped"));
    addMember("taken.txt", 260, Bytes("taken"));
    bool recovered = false;
    const auto out = ExtractAll(bytes, {}, &recovered);
    EXPECT_TRUE(recovered);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].Name, longName);
    EXPECT_EQ(out[0].Data, Bytes("long"));
    EXPECT_EQ(out[1].Name, "taken.txt");
    EXPECT_EQ(out[1].Data, Bytes("taken"));
}

TEST_F(InteropTest, ArchiverUnderZip64AlwaysGivesFoldersOnlyTheirOffset) {
    const std::string src = temp / "src";
    std::filesystem::create_directories(src + "/sub");
    WriteFile(src + "/a.txt", TextBytes(3000, 1));
    WriteFile(src + "/日本.txt", Bytes("nihon"));
    const std::string path = temp / "always.zip";
    {
        TZipArchiver archiver("ZipArchiver");
        archiver.Zip64Mode = TZip64Mode::zmAlways;
        archiver.FileName = path;
        archiver.BaseDir = src + "/";
        archiver.OpenArchive();
        archiver.AddFiles("*.*");
        archiver.CloseArchiveChecked();
    }
    const auto bytes = ReadBytes(path);
    MemoryStream s(bytes);
    TZADirManager dir(s, TZADirSettings{}, false);
    dir.ReadDirectory();
    ASSERT_EQ(dir.Working().Count(), 3);
    int seen = 0;
    for (int32_t i = 0; i < dir.Working().Count(); ++i) {
        const TDirItem& item = dir.Working().At(i);
        SCOPED_TRACE(item.Name);
        EXPECT_TRUE(item.HasZip64);
        EXPECT_EQ(item.VersionNeeded, 45);
        EXPECT_EQ(item.LocalHeaderOffset, 0xFFFFFFFFu);
        const TZALocalHeader local =
            TZALocalHeader::Decode(bytes.data() + item.LocalHeaderOffset64());
        EXPECT_EQ(local.VersionNeeded, 45);
        if (item.IsFolder()) {
            ++seen;
            // No data: its sizes stay in their fields, and its local header has no Zip64 field.
            EXPECT_EQ(item.CompressedSize, 0u);
            EXPECT_EQ(item.UncompressedSize, 0u);
            EXPECT_EQ(TZAExtraField::CentralZip64Block(item).size(), 4u + 8);
            EXPECT_EQ(local.ExtraLength, 0);
            EXPECT_EQ(item.VersionMadeBy, 45);
        } else {
            EXPECT_EQ(item.CompressedSize, 0xFFFFFFFFu);
            EXPECT_EQ(item.UncompressedSize, 0xFFFFFFFFu);
            EXPECT_EQ(local.ExtraLength, 20);
            // A UTF-8 name keeps the host that tells readers it is not OEM text.
            EXPECT_EQ(item.VersionMadeBy, (item.Flags & kFlagUtf8) ? 0x0B2D : 45);
        }
    }
    EXPECT_EQ(seen, 1);
    if (NeedTool("unzip")) {
        const auto r = Shell("unzip -t " + Quote(path));
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
        const auto names = Shell("LC_ALL=C.UTF-8 unzip -Z1 " + Quote(path));
        EXPECT_NE(names.Output.find("日本.txt"), std::string::npos) << names.Output;
    }
    if (NeedTool("7z")) {
        const auto r = Shell("7z t " + Quote(path));
        EXPECT_EQ(r.ExitCode, 0) << r.Output;
        EXPECT_EQ(r.Output.find("WARNING"), std::string::npos) << r.Output;
        EXPECT_EQ(r.Output.find("Headers Error"), std::string::npos) << r.Output;
    }
}

TEST_F(InteropTest, NamesFromUnixArchiversKeepTheirCharacters) {
    if (!NeedTool("zip"))
        return;
    // Info-ZIP on Linux stores the UTF-8 bytes of a name without flag bit 11.
    const std::string src = temp / "u";
    WriteFile(src + "/café ñ.txt", Bytes("accents"));
    WriteFile(src + "/日本/写真.jpg", Bytes("photo"));
    const auto made = Shell("cd " + Quote(src) + " && LC_ALL=C.UTF-8 zip -q -r ../u.zip .");
    ASSERT_EQ(made.ExitCode, 0) << made.Output;
    const auto bytes = ReadBytes(temp / "u.zip");
    const auto out = AsMap(ExtractAll(bytes));
    ASSERT_TRUE(out.count("café ñ.txt"));
    EXPECT_EQ(out.at("café ñ.txt"), Bytes("accents"));
    ASSERT_TRUE(out.count("日本/写真.jpg"));
    EXPECT_EQ(out.at("日本/写真.jpg"), Bytes("photo"));

    // A directory written again keeps every name's bytes and flags.
    MemoryStream s(bytes);
    TZADirManager dir(s, TZADirSettings{}, false);
    dir.ReadDirectory();
    ASSERT_EQ(dir.Working().At(0).Flags & kFlagUtf8, 0);
    const int64_t start = dir.DirectoryPosition();
    const int64_t endAt = static_cast<int64_t>(bytes.size()) - 22;
    s.SetSize(start);
    dir.WriteDirectory();
    EXPECT_EQ(std::vector<uint8_t>(s.Bytes().begin() + start, s.Bytes().end() - 22),
              std::vector<uint8_t>(bytes.begin() + start, bytes.begin() + endAt));
}

// A damaged archive made of nothing but candidate signatures is rebuilt reading each byte about
// once, not a block per candidate.
TEST(DirectoryReadTest, RebuildReadsEachByteAboutOnce) {
    const std::vector<uint8_t> signature = {'P', 'K', 3, 4};
    // A header that passes every check but has no data descriptor after it.
    std::vector<uint8_t> withDescriptorFlag(31, 0);
    le::Put32(withDescriptorFlag.data(), kLocalHeaderSignature);
    le::Put16(withDescriptorFlag.data() + 6, kFlagDataDescriptor);
    le::Put16(withDescriptorFlag.data() + 26, 1);
    withDescriptorFlag[30] = 'a';
    for (const auto& unit : {signature, withDescriptorFlag}) {
        SCOPED_TRACE(unit.size());
        std::vector<uint8_t> bytes;
        while (bytes.size() < (1 << 20) + 3)
            bytes.insert(bytes.end(), unit.begin(), unit.end());
        CountingStream archive(bytes);
        TZADirManager dir(archive, TZADirSettings{}, false);
        try {
            dir.ReadDirectory();
        } catch (const EZAException&) {
        }
        EXPECT_LT(archive.BytesRead, 4 * int64_t(bytes.size()));
    }
}
