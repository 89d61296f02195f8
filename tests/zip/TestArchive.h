#pragma once
// Test helpers: build archives with the engine core the way the component writes them, and
// read every member of an archive back into memory.

#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// A hand-built archive laid out as the member writer lays it out: local header first, data,
// then the local header again with the final CRC and sizes, and the directory at the end.
// Only for archives a test damages on purpose: a well-formed archive comes from the real
// writer (WriterArchive) or from a real tool.
inline std::vector<uint8_t> BuildArchive(const std::vector<Member>& members,
                                         zip::TZip64Mode zip64Mode = zip::TZip64Mode::zmDisabled,
                                         bool oemFileNames = true,
                                         const std::string& comment = {}) {
    using namespace zip;
    MemoryStream archive;
    TZADirManager dir(archive, TZADirSettings{"", true, oemFileNames, true}, true);
    TZAItemCodec codec(TZACodecSettings{"", zip64Mode, true, {}, {}});
    for (const Member& m : members) {
        TDirItem item;
        item.Name = m.Folder && (m.Name.empty() || m.Name.back() != '/') ? m.Name + "/" : m.Name;
        item.VersionMadeBy = item.VersionNeeded = oemFileNames ? kVersionOem : kVersionAnsi;
        item.Method = (m.Mode == 0 || m.Folder) ? kMethodStored : kMethodDeflate;
        item.CompressionMode = static_cast<uint8_t>(m.Folder ? 0 : m.Mode);
        item.Password = m.Folder ? std::string() : m.Password;
        if (!item.Password.empty())
            item.Flags |= kFlagEncrypted;
        if (m.Folder)
            item.Flags |= kFlagFolder;
        item.Time = 0x6000;
        item.Date = 0x5A21;
        item.ExternalAttributes = m.Folder ? faDirectory : faArchive;
        const int64_t offset = archive.Position();
        item.SetLocalHeaderOffset64(static_cast<uint64_t>(offset),
                                    zip64Mode == TZip64Mode::zmAlways);
        const std::string stored = ZAEncodeStoredName(item.Name, oemFileNames, item.Flags);
        if ((item.Flags & kFlagUtf8) && item.VersionMadeBy == kVersionOem)
            item.VersionMadeBy = kVersionAnsi; // as the writer marks a UTF-8 name
        // Under zmAlways every member with data carries the local Zip64 field, and then both
        // local size fields hold the sentinel.
        const bool zip64Local = zip64Mode == TZip64Mode::zmAlways && !m.Folder;
        auto local = TZALocalHeader::FromItem(item, stored, zip64Local);
        auto header = local.Assemble(stored, zip64Local, 0, 0);
        archive.WriteExact(header.data(), static_cast<int64_t>(header.size()));
        if (!m.Folder) {
            MemoryStream source(m.Data);
            codec.CompressItem(source, archive, item);
            local = TZALocalHeader::FromItem(item, stored, zip64Local);
            header = local.Assemble(stored, zip64Local, item.UncompressedSize64(),
                                    item.CompressedSize64());
            archive.SetPosition(offset);
            archive.WriteExact(header.data(), static_cast<int64_t>(header.size()));
            archive.Seek(0, TZASeekOrigin::soEnd);
        }
        item.Password.clear();
        const int32_t index = dir.Working().Append(item);
        (void)index;
    }
    dir.Comment() = comment;
    dir.WriteDirectory();
    return archive.Bytes();
}

// An archive made by the real writer from the members written to disk below folder. The
// members share one password; stored members are named in NoCompressionMasks.
inline std::vector<uint8_t> WriterArchive(const std::vector<Member>& members,
                                          const std::string& folder, int mode = 1) {
    namespace fs = std::filesystem;
    zip::TZipArchiver writer;
    for (const Member& m : members) {
        const fs::path path = fs::path(folder) / m.Name;
        if (m.Folder) {
            fs::create_directories(path);
            continue;
        }
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(m.Data.data()), std::streamsize(m.Data.size()));
        if (m.Mode == 0)
            writer.NoCompressionMasks.push_back(m.Name);
        if (!m.Password.empty())
            writer.Password = m.Password;
    }
    zip::MemoryStream archive;
    writer.SetCompressionMode(mode);
    writer.OpenArchiveStream(archive, zip::kOpenModeCreate);
    writer.BaseDir = folder;
    writer.AddFiles("*.*");
    writer.CloseArchiveChecked();
    return archive.Bytes();
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
