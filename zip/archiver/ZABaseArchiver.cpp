#include "zip/archiver/ZABaseArchiver.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZAGlobalLock.h"
#include "zip/codec/CompressionMode.h"
#include "zip/codec/Crc32.h"
#include "zip/codec/ItemCodec.h"
#include "zip/directory/DirManager.h"
#include "zip/names/PathRules.h"
#include "zip/names/ZAFormat.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/records/LittleEndian.h"
#include "zip/streams/FileReplacement.h"
#include "zip/streams/FileStream.h"
#include "zip/streams/MemoryStream.h"
#include "zip/streams/PolledStream.h"
#include "zip/volumes/VolumeWriter.h"

#include "platform/sys/CodePage437.h"
#include "platform/sys/Prompts.h"

#include <algorithm>
#include <exception>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zip {

namespace {

bool fileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string namePart(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string withBackslashes(std::string name) {
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

std::string withSlashes(std::string name) {
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

} // namespace

// Refuses a second operation on the same archiver while one runs: event handlers pump the
// GUI's events, and a command reached from there must not work on half-written state.
class TZABusyGuard {
public:
    explicit TZABusyGuard(TZABaseArchiver& archiver) : archiver_(archiver) {
        archiver_.CheckNotBusy();
        archiver_.busy_ = true;
    }
    ~TZABusyGuard() { archiver_.busy_ = false; }
    TZABusyGuard(const TZABusyGuard&) = delete;
    TZABusyGuard& operator=(const TZABusyGuard&) = delete;

private:
    TZABaseArchiver& archiver_;
};

void TZABaseArchiver::CheckNotBusy() const {
    if (busy_)
        throw EZAPlainError("The archiver is busy with another operation");
}

TZABaseArchiver::TZABaseArchiver(std::string name) : name_(std::move(name)) {
    SetCompressionLevel(TZACompressionLevel::clFastest);
    volumeInfo_.Reset();
}

TZABaseArchiver::~TZABaseArchiver() {
    busy_ = false;
    CloseArchive();
}

// --- Properties ---

void TZABaseArchiver::SetCompressionLevel(TZACompressionLevel level) {
    compressionLevel_ = level;
    compressionMode_ = CompressionLevelToMode(level);
    UpdateCompressionMethod();
}

void TZABaseArchiver::SetCompressionMode(int mode) {
    if (mode < 0 || mode >= 10)
        fail(ZAError::InvalidCompressionMode);
    compressionMode_ = mode;
    compressionLevel_ = CompressionModeToLevel(mode);
    UpdateCompressionMethod();
}

void TZABaseArchiver::SetSpanningMode(TZASpanningMode mode) {
    if (active_)
        throw EZAPlainError(kSpanningModeOnOpenArchive);
    spanningMode_ = mode;
}

void TZABaseArchiver::SetInMemory(bool inMemory) {
    if (inMemory == inMemory_)
        return;
    if (!active_) {
        inMemory_ = inMemory;
        return;
    }
    TZABusyGuard guard(*this);
    if (!inMemory) {
        if (FileName.empty())
            fail(ZAError::BlankFileNameLeavingMemory);
        // The file gets the archive's bytes before the archive in memory is let go: when that
        // fails, the archive is still open in memory and an existing file is as it was.
        if (updateCount_ > 0)
            commit();
        if (stream_->Size() == 0)
            directory_->WriteDirectory();
        {
            TZAFileReplacement file(FileName, name_);
            auto out = FileStream::Open(file.TempPath(), TZAFileMode::fmOpenReadWrite);
            if (!out)
                fail(ZAError::CannotCreateFile, FileName);
            const int64_t size = stream_->Size();
            if (!stream_->SetPosition(0) || out->CopyFrom(*stream_, size) != size || !out->Flush())
                fail(ZAError::WriteFailed);
            out.reset();
            file.Commit();
        }
        commitAndClose(true, false);
        inMemory_ = false;
    } else {
        commitAndClose(true, false);
        inMemory_ = true;
    }
    busy_ = false;
    OpenArchive();
}

int32_t TZABaseArchiver::Count() const {
    return directory_ ? directory_->Working().Count() : 0;
}

bool TZABaseArchiver::Recovered() const {
    return directory_ && directory_->Recovered();
}

void TZABaseArchiver::startOutcome() {
    outcome_ = TZAOutcome{};
    if (Recovered()) {
        outcome_.Recovered = true;
        outcome_.LastError =
            name_.empty() ? kRecoveredArchiveText : name_ + ": " + kRecoveredArchiveText;
    }
}

TDirItem TZABaseArchiver::Item(int32_t index) const {
    checkActive();
    return directory_->Working().GetItem(index);
}

// --- Opening and closing ---

void TZABaseArchiver::OpenArchive() {
    TZABusyGuard guard(*this);
    committedSinceOpen_ = false;
    if (!inMemory_ && namePart(FileName).empty())
        fail(ZAError::BlankFileName);
    uint16_t mode = kOpenModeCreate;
    if (!inMemory_ && fileExists(FileName)) {
        const int fd = ::open(FileName.c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            ::close(fd);
            mode = kOpenModeReadWrite;
        } else {
            mode = kOpenModeReadOnly;
        }
    }
    openMode(mode);
}

void TZABaseArchiver::OpenArchiveMode(uint16_t mode) {
    TZABusyGuard guard(*this);
    openMode(mode);
}

void TZABaseArchiver::openMode(uint16_t mode) {
    if (!inMemory_ && namePart(FileName).empty())
        fail(ZAError::BlankFileNameForMode);
    if (mode < kOpenModeCreate) {
        if (!fileExists(FileName) && spanningMode_ != TZASpanningMode::smSpanning &&
            !TZAPathRules::IsRemovable(FileName))
            fail(ZAError::ArchiveFileNotFound, FileName);
        if (inMemory_)
            fail(ZAError::InMemoryCreateOnly, FileName);
    }
    commitAndClose(true, false);
    callerStream_ = false;
    openMode_ = mode;
    internalOpen(nullptr);
}

void TZABaseArchiver::OpenArchiveStream(Stream& stream, uint16_t mode) {
    TZABusyGuard guard(*this);
    commitAndClose(true, false);
    openMode_ = mode;
    internalOpen(&stream);
}

void TZABaseArchiver::internalOpen(Stream* callerStream) {
    const bool create = openMode_ == kOpenModeCreate || (inMemory_ && !callerStream);
    const bool volumes =
        create && !inMemory_ && !callerStream && spanningMode_ != TZASpanningMode::smNone;
    volumeFileName_ = FileName;
    volumeWriter_ = nullptr;
    multiVolume_ = false;
    volumeInfo_.Reset();

    TZADirSettings settings;
    settings.ComponentName = name_;
    settings.StandardSignatures = standardSignatures_;
    settings.OemFileNames = Options.OEMFileNames;
    settings.TolerateDamaged = tolerateDamaged_;
    try {
        if (callerStream) {
            if (create && spanningMode_ != TZASpanningMode::smNone)
                fail(ZAError::VolumesOnCallerStream);
            callerStream_ = true;
            stream_ = callerStream;
            if (create && !stream_->SetSize(0))
                fail(ZAError::WriteFailed);
        } else if (inMemory_) {
            ownedStream_ = std::make_unique<MemoryStream>();
            stream_ = ownedStream_.get();
        } else if (volumes) {
            auto writer =
                std::make_unique<TZAVolumeWriter>(static_cast<TZAVolumeSource&>(*this),
                                                  spanningMode_ == TZASpanningMode::smSplitting);
            volumeWriter_ = writer.get();
            multiVolume_ = true;
            ownedStream_ = std::move(writer);
            stream_ = ownedStream_.get();
        } else if (create) {
            ownedStream_ = FileStream::Open(FileName, TZAFileMode::fmCreate);
            if (!ownedStream_)
                fail(ZAError::CannotCreateFile, FileName);
            stream_ = ownedStream_.get();
        }
        // An archive in memory or in a caller's stream is a single file, whatever the mode.
        if (!create && (callerStream || inMemory_))
            spanningMode_ = TZASpanningMode::smNone;
        if (create) {
            if (!volumes) {
                volumeInfo_.LastVolumeNumber = 0;
                volumeInfo_.SetFirst();
            }
            directory_ = std::make_unique<TZADirManager>(*stream_, settings, true);
            if (!SFXStub.empty()) {
                auto stub = FileStream::Open(SFXStub, TZAFileMode::fmOpenRead);
                if (!stub)
                    fail(ZAError::CannotOpenFile, SFXStub);
                const int64_t limit = volumes ? SpanningOptions.SizeOfVolume(0) : -1;
                if (limit > 0 && stub->Size() > limit)
                    fail(ZAError::StubTooLargeForVolume);
                directory_->WriteSFXStub(*stub);
            }
        } else if (callerStream) {
            readSingleFileDirectory(settings);
        } else {
            openExisting(settings);
        }
        if (!create)
            applyUnicodePathFields();
    } catch (...) {
        directory_.reset();
        volumeWriter_ = nullptr;
        multiVolume_ = false;
        ownedStream_.reset();
        stream_ = nullptr;
        callerStream_ = false;
        throw;
    }
    active_ = true;
    startOutcome();
    if (AfterOpen)
        AfterOpen(*this);
}

// Archivers on systems with UTF-8 file names may add the name's UTF-8 form in an extra field
// (id 0x7075: version 1, the CRC-32 of the stored name, the name). Where that field matches the
// stored name it gives the real name.
void TZABaseArchiver::applyUnicodePathFields() {
    TZADirArray& working = directory_->Working();
    for (int32_t i = 0; i < working.Count(); ++i) {
        const TDirItem& item = working.At(i);
        if (item.Flags & kFlagUtf8)
            continue;
        for (const TZAExtraBlock& block : item.ExtraBlocks) {
            if (block.Id != 0x7075 || block.Data.size() < 6 || block.Data[0] != 1)
                continue;
            // The stored bytes were read either as UTF-8 or as code page 437: the field belongs
            // to the name when its CRC-32 is that of one of the two.
            const uint32_t crc = le::Get32(block.Data.data() + 1);
            std::string oem;
            const bool matches = crc == Crc32Of(item.Name.data(), int64_t(item.Name.size())) ||
                                 (platform::cp437FromUtf8(item.Name, oem) &&
                                  crc == Crc32Of(oem.data(), int64_t(oem.size())));
            const std::string name(block.Data.begin() + 5, block.Data.end());
            if (!matches || !ZAIsValidUtf8(name) || name.empty() ||
                name.find('\0') != std::string::npos)
                break;
            int32_t other = -1;
            if (working.FindByName(name, other))
                break;
            working.RenameItem(i, name);
            break;
        }
    }
}

void TZABaseArchiver::CloseArchive() noexcept {
    if (busy_)
        return;
    busy_ = true;
    try {
        commitAndClose(true, false);
    } catch (...) {
    }
    busy_ = false;
}

void TZABaseArchiver::CloseArchiveChecked() {
    TZABusyGuard guard(*this);
    commitAndClose(false, true);
}

void TZABaseArchiver::commitAndClose(bool swallow, bool flush) {
    std::exception_ptr error;
    if (active_) {
        try {
            if (updateCount_ > 0)
                commit();
            // Volumes still being written have no directory yet, whatever they hold; a set given
            // up is not finished.
            if (volumeWriter_ && volumeWriter_->Abandoned()) {
            } else if (stream_->Size() == 0 || volumeWriter_) {
                directory_->WriteDirectory();
                if (volumeWriter_ && Options.FlushBuffers && !stream_->Flush())
                    fail(ZAError::WriteFailed);
                finishVolumes();
            }
            if (flush && Options.FlushBuffers && !stream_->Flush())
                fail(ZAError::WriteFailed);
        } catch (...) {
            error = std::current_exception();
            if (volumeWriter_)
                volumeWriter_->Abandon();
        }
    }
    active_ = false;
    updateCount_ = 0;
    codec_.reset();
    directory_.reset();
    volumeWriter_ = nullptr;
    multiVolume_ = false;
    ownedStream_.reset();
    stream_ = nullptr;
    callerStream_ = false;
    if (error && !swallow)
        std::rethrow_exception(error);
}

void TZABaseArchiver::checkActive() const {
    if (!active_)
        fail(ZAError::ArchiveNotOpen);
}

void TZABaseArchiver::fail(ZAError code) const {
    throw EZAException(code, name_);
}

void TZABaseArchiver::fail(ZAError code, const std::string& argument) const {
    throw EZAException(code, name_, {TZAFormatArg(argument)});
}

TZAItemCodec& TZABaseArchiver::codec() {
    if (!codec_) {
        TZACodecSettings settings;
        settings.ComponentName = name_;
        settings.StandardSignatures = standardSignatures_;
        codec_ = std::make_unique<TZAItemCodec>(settings);
    }
    codec_->Settings().Zip64Mode = Zip64Mode;
    codec_->Settings().AskPassword = [this](const std::string& storedName, std::string& password) {
        bool skip = false;
        DoOnPassword(storedName, password, skip);
        job_.Skip = skip;
        return !skip;
    };
    return *codec_;
}

// --- Transactions ---

void TZABaseArchiver::BeginUpdate() {
    TZABusyGuard guard(*this);
    beginUpdate();
}

void TZABaseArchiver::beginUpdate() {
    if (spanningMode_ != TZASpanningMode::smNone && committedSinceOpen_)
        throw EZAException(ZAError::SecondVolumeTransaction);
    // A set of volumes is written once, front to back: members cannot be added to one read.
    if (updateCount_ == 0 && active_ && multiVolume_ && !volumeWriter_)
        fail(ZAError::MultiVolumeAdd);
    if (updateCount_ == 0) {
        if (!active_) {
            busy_ = false;
            OpenArchive();
            busy_ = true;
        }
        if ((openMode_ & 3) == 0 && !callerStream_)
            fail(ZAError::ReadOnlyArchive);
        TZADirArray& working = directory_->Working();
        for (int32_t i = 0; i < working.Count(); ++i) {
            TDirItem& item = working.GetItemPtr(i);
            item.Modified = false;
            item.Selected = false;
            item.DiskIndex = i;
        }
        directory_->OnDisk().Assign(working);
    }
    ++updateCount_;
}

void TZABaseArchiver::EndUpdate() {
    TZABusyGuard guard(*this);
    endUpdate();
}

void TZABaseArchiver::endUpdate() {
    if (updateCount_ == 0)
        return;
    if (updateCount_ == 1) {
        committedSinceOpen_ = true;
        commit();
        if (spanningMode_ != TZASpanningMode::smNone && openMode_ == kOpenModeCreate)
            openMode_ = kOpenModeReadWrite;
    } else {
        --updateCount_;
    }
}

void TZABaseArchiver::CancelUpdate() noexcept {
    if (busy_)
        return;
    try {
        cancelUpdate();
    } catch (...) {
        updateCount_ = 0;
    }
}

void TZABaseArchiver::cancelUpdate() {
    // Entries added or changed in the transaction were never written: a later close or search
    // must not see them.
    if (updateCount_ > 0 && directory_)
        directory_->Working().Assign(directory_->OnDisk());
    updateCount_ = 0;
}

// --- Public operations ---

void TZABaseArchiver::AddFiles(const std::string& fileMask, uint32_t searchAttr,
                               const std::string& exclusionMask) {
    TZABusyGuard guard(*this);
    checkActive();
    if (updateCount_ == 0 && Count() > 0 && spanningMode_ != TZASpanningMode::smNone)
        fail(ZAError::MultiVolumeAdd);
    const std::vector<std::string> masks{fileMask};
    std::vector<std::string> exclusions;
    if (!exclusionMask.empty())
        exclusions.push_back(exclusionMask);
    beginUpdate();
    try {
        addFilesSearch(masks, Options.Recurse, searchAttr, exclusions, false);
        endUpdate();
    } catch (...) {
        cancelUpdate();
        noteException();
        throw;
    }
}

void TZABaseArchiver::ExtractFiles(const std::string& fileMask, uint32_t searchAttr,
                                   const std::string& exclusionMask) {
    TZABusyGuard guard(*this);
    checkActive();
    if (updateCount_ > 0)
        fail(ZAError::UpdateNotEnded);
    try {
        markItems(fileMask, searchAttr, exclusionMask);
        processMarkedItems(TZAProcessOperation::poExtract);
    } catch (...) {
        noteException();
        throw;
    }
}

void TZABaseArchiver::ExtractToStream(const std::string& fileName, Stream& stream) {
    TZABusyGuard guard(*this);
    checkActive();
    if (updateCount_ > 0)
        fail(ZAError::UpdateNotEnded);
    // One member into a stream, without progress events.
    job_ = TZAJobState::Begin(TZAProcessOperation::poExtract, 1, 0, false);
    const bool recurse = Options.Recurse;
    Options.Recurse = false;
    try {
        int32_t index = -1;
        const std::string name = withSlashes(fileName);
        if (!directory_->Working().FindByName(name, index)) {
            TZAArchiveItem item;
            index = findFirst(name, item, {}, kDefaultSearchAttr) ? item.Handle : -1;
        }
        if (index < 0)
            fail(ZAError::MemberNotFound, fileName);
        codec().Settings().Progress = nullptr;
        std::lock_guard<std::recursive_mutex> lock(ZAGlobalLock());
        startOutcome();
        const TZAExtractResult result = codec().ExtractItemToStream(
            *directory_, index, stream, Password, ExtractCorruptedFiles);
        // A member skipped at the password question was not extracted, though nothing failed.
        noteDamage(result);
        if (result == TZAExtractResult::erSkipped || job_.Damaged) {
            outcome_.Status = TZAOutcome::Result::Incomplete;
            outcome_.Failed = 1;
        } else if (result == TZAExtractResult::erCancelled) {
            outcome_.Status = TZAOutcome::Result::Cancelled;
        } else {
            outcome_.Done = 1;
        }
    } catch (...) {
        Options.Recurse = recurse;
        noteException();
        throw;
    }
    Options.Recurse = recurse;
}

// An operation that ends in an exception did not complete, whatever it counted before.
void TZABaseArchiver::noteException() {
    try {
        throw;
    } catch (const std::exception& e) {
        NoteFailure(e.what());
    } catch (...) {
        NoteFailure("error");
    }
}

bool TZABaseArchiver::FindFirst(const std::string& fileMask, TZAArchiveItem& item,
                                const std::string& exclusionMask, uint32_t searchAttr) {
    checkActive();
    return findFirst(fileMask, item, exclusionMask, searchAttr);
}

bool TZABaseArchiver::FindNext(TZAArchiveItem& item) {
    checkActive();
    ++item.Handle;
    return findNextMatch(item);
}

bool TZABaseArchiver::findFirst(const std::string& fileMask, TZAArchiveItem& item,
                                const std::string& exclusionMask, uint32_t searchAttr) {
    std::string mask = fileMask;
    // Only a leading "X:" is a drive; elsewhere ":" is part of the name.
    if (Options.StorePath != TZAStorePathMode::spFullPathWithDrive && mask.size() >= 2 &&
        mask[1] == ':' && std::isalpha(static_cast<unsigned char>(mask[0])))
        mask.erase(0, 2);
    mask = withSlashes(mask);
    item = TZAArchiveItem{};
    item.FileMask = mask;
    item.Wildcards = mask.find_first_of("*?") != std::string::npos;
    item.SearchAttr = searchAttr;
    item.ExclusionMask = withSlashes(exclusionMask);
    item.UseMaskLists = false;
    item.Handle = 0;
    return findNextMatch(item);
}

// --- Event dispatchers and their defaults ---

void TZABaseArchiver::DoOnOverallProgress(double progress, TZAProcessOperation op,
                                          TZAProgressPhase phase, bool& cancel) {
    cancel = false;
    if (OnOverallProgress)
        OnOverallProgress(*this, progress, op, phase, cancel);
}

void TZABaseArchiver::DoOnFileProgress(const std::string& fileName, double progress,
                                       TZAProcessOperation op, TZAProgressPhase phase,
                                       bool& cancel) {
    cancel = false;
    if (OnFileProgress)
        OnFileProgress(*this, withBackslashes(fileName), progress, op, phase, cancel);
}

void TZABaseArchiver::DoOnCopyTempFileProgress(double progress, TZAProgressPhase phase,
                                               bool& cancel) {
    cancel = false;
    if (OnCopyTempFileProgress)
        OnCopyTempFileProgress(*this, progress, phase, cancel);
}

void TZABaseArchiver::DoOnConfirmOverwrite(const std::string& sourceFileName,
                                           std::string& destFileName, bool& confirm) {
    if (OnConfirmOverwrite) {
        OnConfirmOverwrite(*this, sourceFileName, destFileName, confirm);
        return;
    }
    using platform::PromptButton;
    const PromptButton answer = platform::prompts().message(
        platform::PromptKind::Confirmation, "Confirm",
        ZAFormat("Overwrite file \"%s\" with \"%s\"", {destFileName, sourceFileName}),
        {PromptButton::Yes, PromptButton::No, PromptButton::NoToAll, PromptButton::YesToAll},
        PromptButton::Yes);
    confirm = answer == PromptButton::Yes || answer == PromptButton::YesToAll;
    if (answer == PromptButton::YesToAll)
        Options.OverwriteMode = TZAOverwriteMode::omAlways;
    else if (answer == PromptButton::NoToAll)
        Options.OverwriteMode = TZAOverwriteMode::omNever;
}

void TZABaseArchiver::DoOnConfirmProcessFile(const std::string& fileName, TZAProcessOperation op,
                                             bool& confirm) {
    confirm = true;
    if (OnConfirmProcessFile)
        OnConfirmProcessFile(*this, fileName, op, confirm);
}

void TZABaseArchiver::DoOnPassword(const std::string& fileName, std::string& newPassword,
                                   bool& skipFile) {
    if (OnPassword) {
        OnPassword(*this, fileName, newPassword, skipFile);
        return;
    }
    const auto answer = platform::prompts().inputText(ZAFormat("Password for \"%s\"", {fileName}),
                                                      "Enter password: ", newPassword, true);
    skipFile = !answer.has_value();
    if (answer)
        newPassword = *answer;
}

namespace {

// The failures of reading or writing a file or the archive, which a second try may overcome
// (a locked file, a full disk); every other failure is in the member itself.
bool isInputOutputError(int nativeError) {
    switch (static_cast<ZAError>(nativeError)) {
    case ZAError::CannotCreateOutputFile:
    case ZAError::CannotCreateFolder:
    case ZAError::CannotOpenFile:
    case ZAError::SizeMismatch:
    case ZAError::WriteFailed:
        return true;
    default:
        return false;
    }
}

} // namespace

void TZABaseArchiver::DoOnProcessFileFailure(const std::string& fileName, TZAProcessOperation op,
                                             int nativeError, int errorCode,
                                             const std::string& errorMessage, TZAAction& action) {
    action = TZAAction::fxaIgnore;
    if (OnProcessFileFailure) {
        OnProcessFileFailure(*this, fileName, op, nativeError, errorCode, errorMessage, action);
        return;
    }
    using platform::PromptButton;
    // Nothing to retry: a cancelled volume request, or an archive that unpacks past its caps.
    if (nativeError == CodeOf(ZAError::VolumeUnavailable) ||
        nativeError == CodeOf(ZAError::UnpackLimit)) {
        action = TZAAction::fxaAbort;
        return;
    }
    PromptButton answer;
    if (!isInputOutputError(nativeError)) {
        // A bad name or damaged or unsupported data stays so however often it is tried. The
        // engine's text of damaged data names no member: without the name, Ignore is a guess.
        std::string shown = fileName;
        std::replace(shown.begin(), shown.end(), '\\', '/');
        const std::string text = errorMessage.find(fileName) == std::string::npos &&
                                         errorMessage.find(shown) == std::string::npos
                                     ? ZAFormat("\"%s\": %s", {shown, errorMessage})
                                     : errorMessage;
        answer = platform::prompts().message(platform::PromptKind::Confirmation, "Error", text,
                                             {PromptButton::Abort, PromptButton::Ignore},
                                             PromptButton::Abort);
    } else {
        answer = platform::prompts().message(
            platform::PromptKind::Confirmation, "Error",
            ZAFormat("%s. File processing error, possibly disk is full", {errorMessage}),
            {PromptButton::Abort, PromptButton::Retry, PromptButton::Ignore}, PromptButton::Abort);
    }
    action = answer == PromptButton::Retry    ? TZAAction::fxaRetry
             : answer == PromptButton::Ignore ? TZAAction::fxaIgnore
                                              : TZAAction::fxaAbort;
}

namespace {

bool askVolume(const std::string& text) {
    using platform::PromptButton;
    return platform::prompts().message(platform::PromptKind::Confirmation, "Confirm", text,
                                       {PromptButton::Ok, PromptButton::Cancel},
                                       PromptButton::Ok) == PromptButton::Ok;
}

} // namespace

void TZABaseArchiver::readSingleFileDirectory(const TZADirSettings& settings) {
    volumeInfo_.LastVolumeNumber = 0;
    volumeInfo_.SetFirst();
    // The search, the directory and the members' headers are read through a stream that asks
    // the overall progress event whether to go on: a large or hostile file may take a while, and
    // the user's Cancel must not wait for it.
    PolledStream polled(
        *stream_,
        [this] {
            bool cancel = false;
            DoOnOverallProgress(0.0, TZAProcessOperation::poExtract, TZAProgressPhase::ppStart,
                                cancel);
            if (cancel) {
                outcome_ = TZAOutcome{};
                outcome_.Status = TZAOutcome::Result::Cancelled;
            }
            return cancel;
        },
        name_);
    directory_ = std::make_unique<TZADirManager>(polled, settings, false);
    if (!directory_->FindEndRecord() && !tolerateDamaged_)
        fail(ZAError::NoEndRecord);
    directory_->ReadDirectory();
    directory_->SetStream(*stream_);
}

void TZABaseArchiver::DoOnRequestBlankVolume(int volumeNumber, std::string& fileName,
                                             bool& cancel) {
    cancel = false;
    if (OnRequestBlankVolume) {
        OnRequestBlankVolume(*this, volumeNumber, fileName, cancel);
        return;
    }
    if (spanningMode_ == TZASpanningMode::smSpanning)
        cancel = !askVolume(
            ZAFormat("Please insert a blank disk #%d", {int64_t(std::max(volumeNumber, 1))}));
}

void TZABaseArchiver::DoOnRequestFirstVolume(int volumeNumber, std::string& fileName,
                                             bool& cancel) {
    cancel = false;
    if (OnRequestFirstVolume) {
        OnRequestFirstVolume(*this, volumeNumber, fileName, cancel);
        return;
    }
    if (spanningMode_ == TZASpanningMode::smSpanning)
        cancel = !askVolume("Please insert the first disk");
    else
        cancel = !fileExists(fileName) && openMode_ != kOpenModeCreate;
}

void TZABaseArchiver::DoOnRequestLastVolume(int volumeNumber, std::string& fileName, bool& cancel) {
    cancel = false;
    if (OnRequestLastVolume) {
        OnRequestLastVolume(*this, volumeNumber, fileName, cancel);
        return;
    }
    if (spanningMode_ == TZASpanningMode::smSpanning) {
        cancel = !askVolume("Please insert the last disk");
        while (!cancel && !fileExists(fileName))
            cancel = !askVolume(ZAFormat("File '%s' not found on inserted disk. Please insert "
                                         "last disk with required file",
                                         {fileName}));
    } else {
        cancel = !fileExists(fileName);
    }
}

void TZABaseArchiver::DoOnRequestMiddleVolume(int volumeNumber, std::string& fileName,
                                              bool& cancel) {
    cancel = false;
    if (OnRequestMiddleVolume) {
        OnRequestMiddleVolume(*this, volumeNumber, fileName, cancel);
        return;
    }
    if (spanningMode_ == TZASpanningMode::smSpanning)
        cancel = !askVolume(ZAFormat("Please insert disk #%d", {int64_t(volumeNumber)}));
    else
        cancel = !fileExists(fileName);
}

void TZABaseArchiver::DoOnDiskFull(int volumeNumber, const std::string& fileName, bool& cancel) {
    cancel = false;
    if (OnDiskFull) {
        OnDiskFull(*this, volumeNumber, fileName, cancel);
        return;
    }
    cancel = true;
    if (spanningMode_ == TZASpanningMode::smSpanning)
        cancel = !askVolume(ZAFormat(
            "Disk is full. Required free space: %d bytes, but available "
            "only: %d bytes. Clean the disk or find another blank disk",
            {SpanningOptions.SizeOfVolume(std::max(volumeNumber - 1, 0)), FreeSpace(fileName)}));
}

void TZABaseArchiver::DoOnStoreFile(std::string& fileName, uint32_t& fileAttr, std::string& comment,
                                    const std::string& originalFileName) {
    if (!OnStoreFile)
        return;
    std::string name = withBackslashes(fileName);
    OnStoreFile(*this, name, fileAttr, comment, originalFileName);
    fileName = withSlashes(name);
}

void TZABaseArchiver::DoOnExtractFile(std::string& fileName, uint32_t& fileAttr,
                                      const std::string& comment) {
    fileName = withBackslashes(fileName);
    if (OnExtractFile)
        OnExtractFile(*this, fileName, fileAttr, comment);
}

} // namespace zip
