#pragma once
// The end of central directory record and its search.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "zip/ZAConst.h"

namespace zip {

class Stream;

struct TZAEndRecord {
    uint32_t Signature = kEndRecordSignature;
    uint16_t ThisDisk = 0;
    uint16_t DirectoryDisk = 0;
    uint16_t EntriesOnDisk = 0;
    uint16_t TotalEntries = 0;
    uint32_t DirectorySize = 0;
    uint32_t DirectoryOffset = 0;
    uint16_t CommentLength = 0;

    // The 22 fixed bytes.
    void Encode(uint8_t* out) const;
    static TZAEndRecord Decode(const uint8_t* in);

    // Fills the counts, size and offset from 64-bit values, with the sentinels for values that
    // do not fit (0xFFFF from 65535 on, 0xFFFFFFFF from 0xFFFFFFFF on).
    void SetValues(uint64_t entries, uint64_t directorySize, uint64_t directoryOffset);

    // Result of a search: the record, its position and the comment that follows it.
    struct Found;
    // Searches the last min(size, 65,600) bytes of stream backwards for signature; a match
    // counts only when its record and comment end exactly at the end of the stream. Nothing
    // found means the stream holds no end record; a read that fails raises error 44 (in the
    // name of componentName) instead, since a directory rebuilt after a failed read would
    // treat an intact archive as damaged.
    static std::optional<Found> Find(Stream& stream, uint32_t signature,
                                     std::string_view componentName = {});
    // Every record in the last min(size, window) bytes whose comment fits inside them, the last
    // first, with bytes allowed after it (writers that pad a file to whole blocks leave them),
    // handed to take until it returns true. Their comments are left empty: a window full of
    // signatures must not cost a comment each.
    static void FindEach(Stream& stream, uint32_t signature, int64_t window,
                         std::string_view componentName,
                         const std::function<bool(const Found&)>& take);
};

struct TZAEndRecord::Found {
    TZAEndRecord Record;
    int64_t Position = 0;
    std::string Comment;
};

} // namespace zip
