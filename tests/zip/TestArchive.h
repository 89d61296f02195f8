#pragma once
// Test helpers: make archives with the real writer or a real tool (hand-built bytes only for
// archives the writer refuses to make), and read every member of an archive back into memory.

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/zip/TestTools.h"
#include "zip/ZAConst.h"
#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/codec/ItemCodec.h"
#include "zip/directory/DirManager.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/records/LocalHeader.h"
#include "zip/streams/MemoryStream.h"

namespace ziptest {

struct Member {
    std::string Name;
    std::vector<uint8_t> Data;
    int Mode = 1; // 0 stores
    std::string Password = {};
    bool Folder = false;
};

inline std::vector<uint8_t> Bytes(const std::string& s) {
    return {s.begin(), s.end()};
}

struct WriterOptions {
    zip::TZip64Mode Zip64 = zip::TZip64Mode::zmAuto;
    bool OemFileNames = true;
};

// An archive made by the real writer from the members written to disk below folder, in the
// order given, each with its own compression mode (0 stores) and password.
inline std::vector<uint8_t> WriterArchive(const std::vector<Member>& members,
                                          const std::string& folder, WriterOptions options = {}) {
    const auto key = [](const fs::path& path) {
        std::string s = path.lexically_normal().string();
        while (s.size() > 1 && s.back() == '/')
            s.pop_back();
        return s;
    };
    for (const Member& m : members) {
        const fs::path path = fs::path(folder) / m.Name;
        if (m.Folder) {
            fs::create_directories(path);
            continue;
        }
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(m.Data.data()), std::streamsize(m.Data.size()));
    }
    zip::TZipArchiver writer;
    writer.Zip64Mode = options.Zip64;
    writer.Options.OEMFileNames = options.OemFileNames;
    // Each search looks for one member by its name and takes only that one, so that the
    // archive keeps the order given.
    std::string wanted;
    writer.OnConfirmProcessFile = [&](zip::TZABaseArchiver&, const std::string& path,
                                      zip::TZAProcessOperation,
                                      bool& confirm) { confirm = key(path) == wanted; };
    zip::MemoryStream archive;
    writer.OpenArchiveStream(archive, zip::kOpenModeCreate);
    writer.BaseDir = folder;
    writer.BeginUpdate();
    for (const Member& m : members) {
        wanted = key(fs::path(folder) / m.Name);
        writer.Password = m.Folder ? std::string() : m.Password;
        writer.SetCompressionMode(m.Folder ? 1 : m.Mode);
        writer.AddFiles(key(m.Name));
    }
    writer.EndUpdate();
    writer.CloseArchiveChecked();
    return archive.Bytes();
}

// The same in a scratch folder of its own.
inline std::vector<uint8_t> WriterArchive(const std::vector<Member>& members,
                                          WriterOptions options = {}) {
    ScratchDir temp;
    return WriterArchive(members, temp / "src", options);
}

// An archive written by Python's zipfile, which stores any name as it is given (UTF-8 with
// flag bit 11 when it is not ASCII), deflates members of a mode other than 0 and can add an
// archive comment.
inline std::vector<uint8_t> PythonArchive(const std::vector<Member>& members,
                                          const std::string& comment = {}) {
    ScratchDir temp;
    std::string names, modes;
    for (size_t i = 0; i < members.size(); ++i) {
        const Member& m = members[i];
        names += (m.Folder && m.Name.back() != '/' ? m.Name + "/" : m.Name) + '\0';
        modes += m.Mode == 0 || m.Folder ? "0 " : "8 ";
        WriteFile(temp / std::to_string(i), m.Data);
    }
    WriteFile(temp / "names", names);
    WriteFile(temp / "modes", modes);
    WriteFile(temp / "comment", comment);
    const auto made =
        Shell(std::string(kPython) + " -c " +
              Quote("import sys,zipfile\n"
                    "d=sys.argv[1]\n"
                    "names=open(d+'/names','rb').read().split(b'\\0')[:-1]\n"
                    "modes=open(d+'/modes').read().split()\n"
                    "with zipfile.ZipFile(d+'/out.zip','w') as z:\n"
                    "  for i,n in enumerate(names):\n"
                    "    info=zipfile.ZipInfo(n.decode(),(2020,1,2,3,4,6))\n"
                    "    info.compress_type=int(modes[i])\n"
                    "    if info.filename.endswith('/'): info.external_attr=0o40755<<16|0x10\n"
                    "    z.writestr(info,open(d+'/%d'%i,'rb').read())\n"
                    "  z.comment=open(d+'/comment','rb').read()\n") +
              " " + Quote(temp.Path()));
    if (made.ExitCode != 0)
        throw std::runtime_error("zipfile failed: " + made.Output);
    return ReadBytes(temp / "out.zip");
}

struct Extracted {
    std::string Name;
    std::vector<uint8_t> Data;
    zip::TZAExtractResult Result;
    bool Folder = false; // not extracted
};

// Opens an archive from bytes, reads its directory and extracts every member into memory.
// Raises what the engine raises.
inline std::vector<Extracted> ExtractAll(const std::vector<uint8_t>& bytes,
                                         std::string password = {}, bool* recovered = nullptr,
                                         int64_t memberLimit = INT64_MAX) {
    using namespace zip;
    MemoryStream archive(bytes);
    TZADirManager dir(archive, TZADirSettings{}, false);
    dir.ReadDirectory();
    if (recovered)
        *recovered = dir.Recovered();
    TZAItemCodec codec(TZACodecSettings{});
    std::vector<Extracted> out;
    for (int32_t i = 0; i < dir.Working().Count(); ++i) {
        const TDirItem& item = dir.Working().At(i);
        Extracted e{item.Name, {}, TZAExtractResult::erOk, item.IsFolder()};
        if (!item.IsFolder()) {
            MemoryStream dest = MemoryStream::WithLimit(memberLimit);
            e.Result = codec.ExtractItemToStream(dir, i, dest, password, false);
            e.Data = std::move(dest.Bytes());
        }
        out.push_back(std::move(e));
    }
    return out;
}

// A stream in memory that counts the bytes read from it: the work of an open, measured.
class CountingStream : public zip::MemoryStream {
public:
    using MemoryStream::MemoryStream;
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t got = MemoryStream::Read(buffer, count);
        BytesRead += got;
        return got;
    }
    int64_t BytesRead = 0;
};

// A deflate stream that expands to blocks x 1 MiB of zeros from a small input: one block of
// compressed zeros ending in a sync flush decodes the same wherever it stands, so it can be
// repeated; an empty final block ends the stream.
inline std::vector<uint8_t> ZeroBomb(int blocks) {
    z_stream zs{};
    deflateInit2(&zs, 9, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> zeros(1 << 20, 0), out(1 << 16);
    zs.next_in = zeros.data();
    zs.avail_in = static_cast<uInt>(zeros.size());
    zs.next_out = out.data();
    zs.avail_out = static_cast<uInt>(out.size());
    deflate(&zs, Z_SYNC_FLUSH);
    const std::vector<uint8_t> block(out.data(), out.data() + (out.size() - zs.avail_out));
    deflateEnd(&zs);
    std::vector<uint8_t> stream;
    for (int i = 0; i < blocks; ++i)
        stream.insert(stream.end(), block.begin(), block.end());
    stream.push_back(0x03); // final empty fixed block
    stream.push_back(0x00);
    return stream;
}

} // namespace ziptest
