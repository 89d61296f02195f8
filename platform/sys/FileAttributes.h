#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class FileType { Regular, Directory, Symlink, Special };

// What the archive engine and the file routines need to know about one directory entry.
// A symbolic link is described as itself and never followed.
struct FileAttributes {
    FileType type = FileType::Regular;
    bool readOnly = false;     // the owner may not write it
    bool hidden = false;       // its name begins with "."
    std::uint64_t size = 0;    // bytes of a regular file, 0 for anything else
    std::int64_t modified = 0; // seconds since 1970-01-01 UTC
    std::uint32_t mode = 0;    // the POSIX mode bits, type included

    bool isDirectory() const { return type == FileType::Directory; }
    bool isRegular() const { return type == FileType::Regular; }
    bool isSymlink() const { return type == FileType::Symlink; }
    // FIFOs, sockets and devices: never opened for copying or packing.
    bool isSpecial() const { return type == FileType::Special; }
};

// The attributes of `path`, or nullopt when it does not exist.
std::optional<FileAttributes> fileAttributes(const std::string& path);

// The DOS attribute bits archives carry.
inline constexpr std::uint8_t kDosReadOnly = 0x01;
inline constexpr std::uint8_t kDosHidden = 0x02;
inline constexpr std::uint8_t kDosSystem = 0x04;
inline constexpr std::uint8_t kDosVolume = 0x08;
inline constexpr std::uint8_t kDosDirectory = 0x10;
inline constexpr std::uint8_t kDosArchive = 0x20;

// A folder is 0x10; anything else is an archive-able file 0x20. Read-only adds 0x01, a dot
// name 0x02. There is no system bit on this platform.
std::uint8_t dosAttributes(const FileAttributes& attributes);

// Makes `path` read-only (every write bit removed) or writable for its owner. A symbolic
// link is left alone. False when it cannot be changed.
bool setReadOnly(const std::string& path, bool readOnly);

// Deletes a file or a symbolic link (never its target); a read-only file is deleted too.
// False when nothing was deleted, also when `path` is a folder.
bool deleteFile(const std::string& path);

} // namespace platform
