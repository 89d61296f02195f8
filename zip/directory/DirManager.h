#pragma once
// The directory of an open archive: reads it from the archive, rebuilds it from the local
// headers of a damaged archive and writes it back.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "zip/directory/DirArray.h"
#include "zip/records/EndRecord.h"
#include "zip/records/Zip64EndRecord.h"
#include "zip/records/Zip64Locator.h"

namespace zip {

class Stream;
class TZAHeaderChains;
class TZAVolumeStream;

struct TZADirSettings {
    std::string ComponentName;      // prefix of error messages
    bool StandardSignatures = true; // false: the engine's native signatures
    bool OemFileNames = true;       // names in code page 437 unless flag bit 11 says UTF-8
    bool TolerateDamaged = true;    // rebuild from local headers when no end record is found
};

class TZADirManager {
public:
    // Caps on what a directory may take, whether read or rebuilt: far above any real archive,
    // low enough that a crafted one is refused before its entries exhaust memory.
    static constexpr int64_t kMaxEntries = 1000000;
    static constexpr int64_t kMaxDirectoryBytes = 192LL * 1024 * 1024;
    // The memory one entry takes in the directory and its name index, as counted against
    // kMaxDirectoryBytes.
    static int64_t EntryBytes(const TDirItem& item);

    // stream: the archive (not owned). For a new archive the directory starts empty.
    TZADirManager(Stream& stream, TZADirSettings settings, bool newArchive);

    TZADirSettings& Settings() { return settings_; }
    Stream& ArchiveStream() { return *stream_; }
    void SetStream(Stream& stream);

    // Searches the end record; true when the archive can be opened (always true while damaged
    // archives are tolerated, so that ReadDirectory rebuilds the directory). A read that fails
    // raises error 44: only an end record that is really absent leads to a rebuild. End records
    // followed by other bytes (up to kTrailingRecordSearchWindow of them) are tried the last
    // first, and one is taken only once its directory has been read here; each is first checked
    // for headers that lead from its directory's start exactly to its end, so that the search
    // stays linear in the file's size whatever the number of records.
    bool FindEndRecord();
    // Fills the working directory from the archive (after the search of FindEndRecord, which
    // it makes itself when it was not just made). Every count, size and offset is checked
    // against the stream size first; damage raises error 57 (or 40, 35), a failed read 44, a
    // count that disagrees with the entries of the directory 67, a directory past the caps 68.
    // Without Zip64 records a count is taken modulo 65,536 when the entries fill the directory
    // exactly: writers that know no Zip64 let the 16-bit count wrap.
    void ReadDirectory();
    // Writes the central directory and the end records at the end of the stream.
    void WriteDirectory();
    // Takes the volumes just written, now to be read: positions count through all of them.
    void AdoptVolumes(TZAVolumeStream& volumes);
    // Copies a self-extracting stub into the empty archive; the start offset becomes its size.
    void WriteSFXStub(Stream& stub);

    TZADirArray& Working() { return working_; }
    TZADirArray& OnDisk() { return onDisk_; }

    std::string& Comment() { return comment_; }
    const TZAEndRecord& EndRecord() const { return endRecord_; }
    TZAEndRecord& EndRecord() { return endRecord_; }
    const TZAZip64EndRecord& Zip64EndRecord() const { return zip64End_; }
    const TZAZip64Locator& Zip64Locator() const { return zip64Locator_; }
    bool HasZip64() const { return zip64_; }
    // Position of the first local header (the length of data in front of the archive).
    int64_t StartOffset() const { return startOffset_; }
    // Where the central directory starts (as read or last written).
    int64_t DirectoryPosition() const { return directoryPosition_; }
    // True when the last ReadDirectory found no end record and rebuilt the entries from local
    // headers: members may be missing.
    bool Recovered() const { return recovered_; }
    // The directory offset written in the records (the Zip64 one when the 32-bit field holds
    // the sentinel).
    int64_t RecordedDirectoryOffset() const;

private:
    [[noreturn]] void Fail(ZAError code) const;
    // Reads count bytes at position; a read that fails or comes back short raises error 44.
    // Callers check first that the bytes lie inside the stream, so a short read here is a
    // failing device, never a sign of damage.
    void ReadAt(int64_t position, void* buffer, int64_t count);
    // Reads the Zip64 locator and end record before the end record at endPos, when there are
    // any: returns the Zip64 end record's position, -1 without one (error 40 when a locator
    // names none).
    int64_t ReadZip64Records(int64_t endPos);
    // Error 57 when the members' compressed sizes add up to more than the archive.
    void CheckCompressedTotal();
    // Moves every offset by the length of data in front of the archive, when the records
    // counted from the start of the archive proper: when the first entry's own header lies
    // there, or none lies where it says.
    void PlaceLocalHeaders(int64_t directoryStart);
    // Whether a local header of item (its signature and its name) lies at pos.
    bool HasLocalHeaderOf(const TDirItem& item, int64_t pos);
    // Forgets what an earlier attempt read.
    void ResetRead();
    // Reads the directory the end record in found_ names; strict: the entries must fill the
    // directory's size exactly (error 57 otherwise) and a doubtful count is never answered by
    // a rebuild.
    void ReadFromEndRecord(bool strict);
    // Tries the end records followed by other bytes in the last min(size, window) bytes of
    // last, the last first; true when one of them names a directory that reads cleanly.
    bool ReadFromTrailingRecord(Stream& last);
    // Whether the end record in found_, which ends the file, passes the checks of a record with
    // bytes after it (CheckTrailingCandidate).
    bool EndingRecordSound();
    // The size of the directory the end record in found_ names, when that directory may be
    // read: headers lead from its start exactly to its end, as many as the record counts. Sets
    // directoryPosition_ to its start.
    std::optional<uint64_t> CheckTrailingCandidate(TZAHeaderChains& chains);
    // Where the last local header signature lies in the bytes the trailing search looks at;
    // -1 when there is none.
    int64_t LastLocalHeader();
    // Whether entries read agree with the count recorded: equal, or equal modulo 65,536 when no
    // Zip64 record holds the count and the entries fill the directory.
    bool CountAgrees(uint64_t entries, uint64_t count, bool filled) const;
    struct EntriesRead {
        int64_t Bytes = 0;  // the bytes the entries take
        uint64_t Count = 0; // the entries
    };
    // Parses the central headers of the directory at start, count of them and any more that
    // follow inside it.
    EntriesRead ReadEntries(int64_t start, int64_t size, uint64_t count);
    // Counts one more entry against the caps (error 68 past them).
    void Budget(const TDirItem& item);
    // Keeps a rebuilt entry: an entry of the same name found earlier gives way to it.
    void KeepRebuilt(TDirItem item);
    void AdjustOffsets(int64_t delta);
    // The central header of item as written (its lengths and Unicode Path field brought in step
    // with its name); together: the bytes of it that stay in one volume (all but the comment).
    std::vector<uint8_t> EncodeCentralHeader(TDirItem& item, int64_t& together);
    // The Zip64 end record and locator (when zip64_) and the end record with the comment, for a
    // directory of size bytes; the records are kept as written.
    std::vector<uint8_t> EncodeEndRecords(int32_t thisDisk, int32_t directoryDisk,
                                          int64_t directoryOffset, int64_t zip64EndOffset,
                                          uint64_t size);
    // Refuses members that overlap or disagree with their local headers (error 64).
    void CheckMembers(int64_t dataEnd);
    void Rebuild();

    // Offsets of a multi-volume archive count within the volume each record names.
    void ToArchivePositions();

    Stream* stream_;
    TZAVolumeStream* volumes_ = nullptr; // stream_, when the archive lies in several volumes
    TZADirSettings settings_;
    TZADirArray onDisk_;
    TZADirArray working_;
    std::string comment_;
    TZAEndRecord endRecord_;
    TZAZip64EndRecord zip64End_;
    TZAZip64Locator zip64Locator_;
    std::optional<TZAEndRecord::Found> found_;
    bool searched_ = false;     // FindEndRecord ran, and ReadDirectory has not used its result
    bool trailingRead_ = false; // the directory of a record with bytes after it has been read
    int64_t budgetEntries_ = 0;
    int64_t budgetBytes_ = 0;
    int64_t startOffset_ = 0;
    bool zip64_ = false;
    int64_t directoryPosition_ = 0;
    bool recovered_ = false;
};

} // namespace zip
