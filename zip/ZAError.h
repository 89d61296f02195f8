#pragma once
// The native codes the archive engine raises, by name. The numbers are the ones callers, logs
// and the message table know; they never change, and a new code goes after the last.

#include <cstdint>

namespace zip {

enum class ZAError : int32_t {
    StoreIndexOutOfBounds = 1,       // storing a directory entry outside the directory
    GetIndexOutOfBounds = 2,         // reading a directory entry outside the directory
    ItemIndexOutOfBounds = 3,        // taking a directory entry in place outside the directory
    DeleteIndexOutOfBounds = 4,      // deleting a directory entry outside the directory
    InvalidCompressionMode = 5,      // a compression mode of 10 or more
    DiskMemberNotFound = 7,          // the commit finds no member on disk for a kept entry
    MemberDamaged = 8,               // a member does not extract intact (size, CRC-32, method)
    BlankFileName = 9,               // opening an archive whose file name has no name part
    BlankFileNameForMode = 10,       // the same, when opened with a mode
    ArchiveFileNotFound = 12,        // opening an existing archive whose file does not exist
    ArchiveNotOpen = 13,             // an operation that needs an open archive
    MemberNotFound = 15,             // no member (or folder) of the given name
    ExtractIndexOutOfBounds = 16,    // extracting an entry outside the directory
    CannotCreateOutputFile = 19,     // an extracted file cannot be created
    CannotCreateFolder = 20,         // an extraction folder cannot be created
    ProcessIndexOutOfBounds = 21,    // deleting an entry outside the directory while processing
    DeleteWithoutUpdate = 22,        // deleting outside an update transaction
    CannotCreateFile = 23,           // an archive, volume or temporary file cannot be created
    ReplaceIndexOutOfBounds = 24,    // updating an entry outside the directory
    ReplaceWithoutUpdate = 25,       // updating outside an update transaction
    UpdateNotEnded = 26,             // extracting while an update transaction is open
    InMemoryCreateOnly = 28,         // opening an existing archive while InMemory is set
    BlankFileNameLeavingMemory = 29, // InMemory switched off without a file name
    ReadOnlyArchive = 32,            // an update on an archive opened read-only
    CannotOpenFile = 33,             // a source file, stub or volume cannot be opened
    SizeMismatch = 34,               // a source that does not give the bytes it had
    NoLocalHeader = 35,              // a damaged archive holds no local header at all
    Zip64EndRecordMissing = 40,      // a Zip64 locator names no Zip64 end record
    Zip64DisabledForItem = 41,       // a compressed member needs Zip64 under zmDisabled
    Zip64DisabledForMember = 43,     // a member's header needs Zip64 under zmDisabled
    DirectoryUnreadable = 44,        // reading the directory fails
    VolumeUnavailable = 45,          // a volume cannot be had, or its request was cancelled
    WriteFailed = 46,                // a write comes back short
    StubTooLargeForVolume = 47,      // the self-extracting stub does not fit the first volume
    NoEndRecord = 48,                // no end record while damaged archives are not tolerated
    VolumesOnCallerStream = 51,      // a multi-volume archive in a caller's stream
    MultiVolumeAdd = 52,             // adding to a multi-volume archive outside a transaction
    Deflate64Unsupported = 55,       // compression method 9
    ArchiveDamaged = 57,             // the directory is found damaged while it is read
    NameIndexSize = 58,              // the name index and the entries disagree in size
    NameIndexPosition = 59,          // a name indexed at another entry's position
    NameTooLong = 61,                // a name or path too long to store
    SecondVolumeTransaction = 62,    // a second transaction on a multi-volume archive
    UnsafeName = 63,                 // a member name that would leave the destination folder
    MemberOverlap = 64,              // members that share data or disagree with their headers
    UnpackLimit = 65,                // unpacking past the caller's limits
    UnsupportedMethod = 66,          // a member packed with a method the engine cannot unpack
    EntryCountMismatch = 67,         // the end record's count and the directory disagree
    DirectoryTooLarge = 68,          // more entries, or directory memory, than may be opened
    OpenCancelled = 69,              // a progress handler cancelled while the archive was opened
};

constexpr int32_t CodeOf(ZAError error) {
    return static_cast<int32_t>(error);
}

} // namespace zip
