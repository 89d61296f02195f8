#pragma once

#include "zip/ZAConst.h"
#include "zip/ZAError.h"
#include "zip/archiver/JobState.h"
#include "zip/archiver/UnpackLimits.h"
#include "zip/archiver/VolumeNumberInfo.h"
#include "zip/archiver/ZAOptions.h"
#include "zip/archiver/ZASpanningOptions.h"
#include "zip/directory/ArchiveItem.h"
#include "zip/records/EndRecord.h"
#include "zip/streams/FileStream.h"
#include "zip/volumes/VolumeStream.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zip {

class Stream;
class TZADirManager;
class TZAItemCodec;
class TZAVolumeWriter;
struct TZADirSettings;
struct TZAVolumeNamingRules;
class EZAException;
enum class TZAExtractResult;
struct TDirItem;

// How the last open, add, extract or test ended. Callers that must not report success after a
// cancel, an abort or a member left out look at this rather than at the absence of an error.
struct TZAOutcome {
    enum class Result { Completed, Cancelled, Aborted, Incomplete };
    Result Status = Result::Completed;
    int Done = 0;                     // members written, extracted or tested
    int Failed = 0;                   // members that failed and were passed over (Ignore)
    std::vector<std::string> Skipped; // stored names of the members passed over, in order
    std::string LastError;            // message of the last failure, if any
    // The system's error number (errno) of the last failure that had one, taken where the call
    // failed: the boxes asked since may have changed errno many times.
    int SystemError = 0;
    // Bytes the members to extract claim together, when the extraction was refused before it
    // began because they exceed UnpackLimits.Total (0 otherwise).
    int64_t Claimed = 0;
    // The open archive had no usable end record: its directory was rebuilt from the local
    // headers, so members may be missing (a truncated file). What could be found is still
    // extracted, but the job is not reported as complete.
    bool Recovered = false;

    bool Succeeded() const { return Status == Result::Completed && Failed == 0 && !Recovered; }
};

// The archive engine's component: opens, creates and closes an archive (a file, memory or a
// caller's stream), brackets changes in update transactions, adds and extracts files by mask
// and reports progress, questions and failures through its events. Without a handler an event
// asks through the platform prompts service.
//
// Multi-volume archives: with SpanningMode smSplitting a new archive is written as volume
// files side by side ("a_001.zip", "a_002.zip", ... or "a.z01", "a.z02", ..., in the letter
// case of the archive's extension: "A.Z01" for "A.ZIP"), each at most the chosen volume size,
// and the last one gets the archive's own name; a file of that name is replaced, as a new
// archive replaces one. smSpanning writes one volume per removable disk and labels the disks.
// Opening an existing archive finds out by itself whether it is split; when only the other
// naming is found, SpanningOptions.AdvancedNaming is flipped and keeps its new value, also for
// a later archive created with this component. An existing multi-volume archive is read only.
class TZABaseArchiver : private TZAVolumeSource {
public:
    explicit TZABaseArchiver(std::string name = {});
    virtual ~TZABaseArchiver();
    TZABaseArchiver(const TZABaseArchiver&) = delete;
    TZABaseArchiver& operator=(const TZABaseArchiver&) = delete;

    // --- Events. Sender comes first; the default applies only without a handler. ---
    std::function<void(TZABaseArchiver&, const std::string& fileName, double progress,
                       TZAProcessOperation, TZAProgressPhase, bool& cancel)>
        OnFileProgress;
    std::function<void(TZABaseArchiver&, double progress, TZAProcessOperation, TZAProgressPhase,
                       bool& cancel)>
        OnOverallProgress;
    std::function<void(TZABaseArchiver&, double progress, TZAProgressPhase, bool& cancel)>
        OnCopyTempFileProgress;
    std::function<void(TZABaseArchiver&, const std::string& sourceFileName,
                       std::string& destFileName, bool& confirm)>
        OnConfirmOverwrite;
    std::function<void(TZABaseArchiver&, const std::string& fileName, TZAProcessOperation,
                       bool& confirm)>
        OnConfirmProcessFile;
    std::function<void(TZABaseArchiver&)> AfterOpen;
    std::function<void(TZABaseArchiver&, const std::string& fileName, std::string& newPassword,
                       bool& skipFile)>
        OnPassword;
    std::function<void(TZABaseArchiver&, const std::string& fileName, TZAProcessOperation,
                       int nativeError, int errorCode, const std::string& errorMessage,
                       TZAAction& action)>
        OnProcessFileFailure;
    using VolumeEvent = std::function<void(TZABaseArchiver&, int volumeNumber,
                                           std::string& volumeFileName, bool& cancel)>;
    VolumeEvent OnRequestBlankVolume;
    VolumeEvent OnRequestFirstVolume;
    VolumeEvent OnRequestLastVolume;
    VolumeEvent OnRequestMiddleVolume;
    std::function<void(TZABaseArchiver&, int volumeNumber, const std::string& volumeFileName,
                       bool& cancel)>
        OnDiskFull;
    std::function<void(TZABaseArchiver&, std::string& fileName, uint32_t& fileAttr,
                       std::string& comment, const std::string& originalFileName)>
        OnStoreFile;
    std::function<void(TZABaseArchiver&, std::string& fileName, uint32_t& fileAttr,
                       const std::string& comment)>
        OnExtractFile;

    // --- Properties. ---
    const std::string& Name() const { return name_; }
    bool ExtractCorruptedFiles = false;
    TZACompressionLevel CompressionLevel() const { return compressionLevel_; }
    void SetCompressionLevel(TZACompressionLevel level);
    int CompressionMode() const { return compressionMode_; }
    void SetCompressionMode(int mode);
    int CompressionMethod() const { return compressionMethod_; }
    std::string CurrentVersion() const { return "2.73 "; }
    void SetCurrentVersion(const std::string&) {}
    std::string Password;
    std::string FileName;
    std::string BaseDir;
    // Files no search adds, however it reaches them: compared by path and by identity
    // (device and inode), never as masks. The archive's own file is left out anyway.
    std::vector<std::string> ExcludedFiles;
    std::string TempDir;
    TZASpanningMode SpanningMode() const { return spanningMode_; }
    void SetSpanningMode(TZASpanningMode mode);
    TZASpanningOptions SpanningOptions;
    std::string SFXStub;
    TZAOptions Options;
    std::vector<std::string> FileMasks;
    std::vector<std::string> ExclusionMasks;
    std::vector<std::string> NoCompressionMasks;
    bool InMemory() const { return inMemory_; }
    void SetInMemory(bool inMemory);
    TZip64Mode Zip64Mode = TZip64Mode::zmAuto;
    // Caps on what ExtractFiles writes. A claimed size over them refuses the whole job before
    // anything is written (error 65); a member that inflates past them fails (error 65), which
    // stops the job unless the failure event says otherwise.
    TZAUnpackLimits UnpackLimits;

    bool Active() const { return active_; }
    // True while an operation runs; its event handlers may not start another on this archiver.
    bool Busy() const { return busy_; }
    // Raises EZAPlainError while an operation runs.
    void CheckNotBusy() const;
    uint16_t OpenMode() const { return openMode_; }
    int UpdateCount() const { return updateCount_; }
    const TZAVolumeNumberInfo& VolumeNumberInfo() const { return volumeInfo_; }
    const TZAOutcome& LastOutcome() const { return outcome_; }
    // True while the open archive's directory is one rebuilt from local headers.
    bool Recovered() const;
    // Records that the current job failed as a whole (a routine that catches the error).
    void NoteFailure(const std::string& message, int systemError = 0) {
        outcome_.Status = TZAOutcome::Result::Aborted;
        outcome_.LastError = message;
        if (systemError != 0)
            outcome_.SystemError = systemError;
    }
    // Number of items in the archive's working directory (0 while closed).
    int32_t Count() const;
    // A copy of item index of the working directory.
    TDirItem Item(int32_t index) const;
    // The archive stream (nullptr while closed); an in-memory archive's bytes live here.
    Stream* ArchiveStream() const { return stream_; }

    // --- Operations. ---
    void OpenArchive();
    void OpenArchiveMode(uint16_t mode);
    // Opens an archive held in a caller's stream, which the archiver never frees; mode
    // 0xFFFF starts a new archive in it.
    void OpenArchiveStream(Stream& stream, uint16_t mode);
    // Commits a pending update and closes; never raises.
    void CloseArchive() noexcept;
    // As CloseArchive, but reports a failed commit or final write by raising it.
    void CloseArchiveChecked();
    void BeginUpdate();
    void EndUpdate();
    // Drops the open transaction: its changes are not committed, and the directory is again
    // the one the transaction started from. Ignored while an operation runs (from its handlers).
    void CancelUpdate() noexcept;
    void AddFiles(const std::string& fileMask, uint32_t searchAttr = kDefaultSearchAttr,
                  const std::string& exclusionMask = {});
    void ExtractFiles(const std::string& fileMask, uint32_t searchAttr = kDefaultSearchAttr,
                      const std::string& exclusionMask = {});
    void ExtractToStream(const std::string& fileName, Stream& stream);
    bool FindFirst(const std::string& fileMask, TZAArchiveItem& item,
                   const std::string& exclusionMask = {}, uint32_t searchAttr = kDefaultSearchAttr);
    bool FindNext(TZAArchiveItem& item);

protected:
    virtual void UpdateCompressionMethod() { compressionMethod_ = -1; }
    void SelectStandardSignatures(bool standard) { standardSignatures_ = standard; }
    void setCompressionMethod(int method) { compressionMethod_ = method; }

    // Event dispatchers: the handler when set, else the default behaviour.
    virtual void DoOnOverallProgress(double progress, TZAProcessOperation, TZAProgressPhase,
                                     bool& cancel);
    virtual void DoOnFileProgress(const std::string& fileName, double progress, TZAProcessOperation,
                                  TZAProgressPhase, bool& cancel);
    virtual void DoOnCopyTempFileProgress(double progress, TZAProgressPhase, bool& cancel);
    virtual void DoOnConfirmOverwrite(const std::string& sourceFileName, std::string& destFileName,
                                      bool& confirm);
    virtual void DoOnConfirmProcessFile(const std::string& fileName, TZAProcessOperation,
                                        bool& confirm);
    virtual void DoOnPassword(const std::string& fileName, std::string& newPassword,
                              bool& skipFile);
    virtual void DoOnProcessFileFailure(const std::string& fileName, TZAProcessOperation,
                                        int nativeError, int errorCode,
                                        const std::string& errorMessage, TZAAction& action);
    virtual void DoOnRequestBlankVolume(int volumeNumber, std::string& fileName, bool& cancel);
    virtual void DoOnRequestFirstVolume(int volumeNumber, std::string& fileName, bool& cancel);
    virtual void DoOnRequestLastVolume(int volumeNumber, std::string& fileName, bool& cancel);
    virtual void DoOnRequestMiddleVolume(int volumeNumber, std::string& fileName, bool& cancel);
    virtual void DoOnDiskFull(int volumeNumber, const std::string& fileName, bool& cancel);
    virtual void DoOnStoreFile(std::string& fileName, uint32_t& fileAttr, std::string& comment,
                               const std::string& originalFileName);
    virtual void DoOnExtractFile(std::string& fileName, uint32_t& fileAttr,
                                 const std::string& comment);
    // Opens the file of a volume; nullptr when that fails.
    virtual std::unique_ptr<Stream> OpenVolumeFile(const std::string& path, TZAFileMode mode);

private:
    friend class TZABusyGuard;
    // --- Opening and closing. ---
    void openMode(uint16_t mode);
    void internalOpen(Stream* callerStream);
    void applyUnicodePathFields();
    // Commits a pending update and closes; flush also pushes the file to the device.
    void commitAndClose(bool swallow, bool flush);
    void beginUpdate();
    void endUpdate();
    void cancelUpdate();
    bool findFirst(const std::string& fileMask, TZAArchiveItem& item,
                   const std::string& exclusionMask, uint32_t searchAttr);
    void checkActive() const;
    [[noreturn]] void fail(ZAError code) const;
    [[noreturn]] void fail(ZAError code, const std::string& argument) const;
    TZAItemCodec& codec();
    // Starts the outcome of a new job; a rebuilt directory marks it from the start.
    void startOutcome();
    // Records the exception being handled as the end of the current job.
    void noteException();

    // --- Volumes. ---
    TZAVolumeNamingRules namingRules() const;
    // Name of volume number (0-based, -1 the last); checkExisting looks for the forms that exist.
    std::string volumeName(int32_t number, bool checkExisting) const;
    // Opens an existing archive, finding out whether it is split or spanned.
    void openExisting(const TZADirSettings& settings);
    // The end record of one file, searched whatever the tolerate-damaged flag says.
    std::optional<TZAEndRecord::Found> findEndHonestly(Stream& stream,
                                                       const TZADirSettings& settings) const;
    // A self-extracting name without an end record may be the stub of a split set: its last
    // volume becomes last when it names a later disk.
    std::optional<TZAEndRecord::Found> openSelfExtractingSet(std::unique_ptr<Stream>& last,
                                                             TZAFileMode readMode,
                                                             const TZADirSettings& settings);
    // Whether the set's other volumes are there, under either naming (SpanningOptions keeps
    // the one found).
    bool findSetNaming(int32_t lastDisk);
    void readVolumeSetDirectory(std::unique_ptr<Stream> last, int32_t lastDisk,
                                const TZADirSettings& settings);
    // The directory of an archive that is one file (volume 0 and also the last), from stream_.
    void readSingleFileDirectory(const TZADirSettings& settings);
    // Ends writing the volumes after the directory: names the last volume and reads the set.
    void finishVolumes();
    // Places a member written aside into the volumes; false when cancelled.
    bool copyToVolumes(Stream& member, TDirItem& item, int64_t headerLength);
    std::unique_ptr<Stream> OpenVolume(int32_t number, int32_t last) override;
    std::unique_ptr<Stream> CreateVolume(int32_t number, std::string& path,
                                         std::string& finalPath) override;
    // Removes what is left of an earlier set beside a set of lastDisk + 1 volumes just named:
    // its higher volumes, and its volumes named in the other letter case.
    void removeStaleVolumes(int32_t lastDisk);
    std::unique_ptr<Stream> ReopenVolume(const std::string& path) override;
    bool RemoveVolume(const std::string& path) override;
    bool RenameVolume(const std::string& from, const std::string& to) override;
    int64_t VolumeLimit(int32_t number) override;
    int64_t FreeSpace(const std::string& path) override;

    // --- Update transactions. ---
    struct Commit;
    void commit();
    // The steps of a commit: what changed and where rewriting starts in the directory; where
    // it starts in the file (members need not lie in directory order); the bytes from there
    // kept aside; the members rewritten from there (true when aborted); the directory taken as
    // the one on disk.
    void countChanges(Commit& c);
    void findCut(Commit& c);
    void saveTail(Commit& c);
    bool rewriteFromCut(Commit& c);
    void markCommitted();
    struct LocalHeaderPlan;
    // Where a member bound for volumes is written first (a file named in path when large).
    std::unique_ptr<Stream> openAside(const TDirItem& item, std::string& path);
    // Sets the entry's offset, sizes, version and name length for a member written at start
    // and says how its local header is made; errors 43, 61 and 63 for what cannot be stored.
    LocalHeaderPlan planLocalHeader(TDirItem& item, int64_t start, uint64_t sourceSize,
                                    bool withData, const std::string& eventName);
    bool writeMember(Commit& c, int32_t index);
    void copyMember(Commit& c, int32_t index);
    void rollback(Commit& c);
    void reportFailure(const std::string& fileName, TZAProcessOperation op, const EZAException& e,
                       TZAAction& action);

    // --- Adding. ---
    struct Search;
    void addFilesSearch(const std::vector<std::string>& masks, bool recurse, uint32_t searchAttr,
                        const std::vector<std::string>& exclusions, bool move);
    void searchFolder(Search& s, const std::string& mask, bool recurse, bool nested);
    bool considerFoundEntry(Search& s, const std::string& path, bool isFolder);
    bool addFoundFile(Search& s, const std::string& path, bool isFolder);
    int32_t addItem(const std::string& path, bool isFolder);
    void prepareItem(TDirItem& item, const std::string& path, bool isFolder,
                     const std::string& storedName);
    std::string resolveMaskPath(const std::string& mask, bool& relative) const;
    bool matchDiskMask(const std::string& path, const std::string& mask, bool isFolder) const;

    // --- Finding and processing. ---
    bool findNextMatch(TZAArchiveItem& item);
    bool itemMatches(const TDirItem& entry, const TZAArchiveItem& search) const;
    void markItems(const std::string& fileMask, uint32_t searchAttr,
                   const std::string& exclusionMask);
    void processMarkedItems(TZAProcessOperation op);
    // Raises error 65 when the claimed sizes of the selected members exceed UnpackLimits.
    void checkClaimedSizes();
    struct Extraction;
    // One marked entry: its file events and its operation; false when cancelled. deleted tells
    // that the entry is gone (the next one has moved into its place).
    bool processEntry(int32_t index, const std::string& name, Extraction& x, bool& deleted);
    void extractItemToFile(int32_t index, Extraction& x);
    // Writes entry index into target (through a temporary file beside it) with the entry's
    // time and, under SetAttributes, its read-only mark from attrs.
    void writeExtracted(int32_t index, const TDirItem& entry, uint32_t attrs,
                        const std::string& target, Extraction& x);
    void testItem(int32_t index);
    void noteDamage(TZAExtractResult result);
    void deleteItem(int32_t index);
    void updateItem(int32_t index);
    // Whether what has newStamp replaces what has oldStamp (MS-DOS stamps) under the overwrite
    // mode, when adding, updating or extracting over an existing file or member. An unknown
    // newStamp is neither newer nor older. Under omPrompt the overwrite question gets the two
    // names, and the answer may change destName.
    bool overwriteAllowed(const std::string& sourceName, std::string& destName,
                          std::optional<uint32_t> newStamp, uint32_t oldStamp);
    void replaceItemFromFile(int32_t index, const std::string& path);
    bool fireProgress(int64_t processed, int64_t size, const std::string& name,
                      TZAProcessOperation op);
    std::string destinationFolder() const;

    std::string name_;
    int updateCount_ = 0;
    bool active_ = false;
    bool standardSignatures_ = false;
    bool callerStream_ = false;
    bool busy_ = false;
    std::string volumeFileName_;
    TZAVolumeNumberInfo volumeInfo_;
    uint16_t openMode_ = 0;
    bool inMemory_ = false;
    TZASpanningMode spanningMode_ = TZASpanningMode::smNone;
    bool tolerateDamaged_ = true;
    bool committedSinceOpen_ = false;
    std::unique_ptr<TZADirManager> directory_;
    std::unique_ptr<TZAItemCodec> codec_;
    std::unique_ptr<Stream> ownedStream_;
    Stream* stream_ = nullptr;
    TZAVolumeWriter* volumeWriter_ = nullptr; // stream_ while a multi-volume archive is written
    bool multiVolume_ = false;                // the open archive lives in several volumes
    int compressionMethod_ = -1;
    int compressionMode_ = 1;
    TZACompressionLevel compressionLevel_ = TZACompressionLevel::clFastest;
    std::string workingBase_;
    TZAOutcome outcome_;
    TZAJobState job_; // the operation under way
};

} // namespace zip
