#include "zip/DirManager.h"

#include "zip/Stream.h"
#include "zip/ZAExcept.h"

namespace zip {

TZADirManager::TZADirManager(Stream& stream, TZADirSettings settings, bool newArchive)
    : stream_(&stream), settings_(std::move(settings)), onDisk_(settings_.ComponentName),
      working_(settings_.ComponentName) {
    (void)newArchive;
    if (!settings_.StandardSignatures)
        endRecord_.Signature = kNativeEndRecordSignature;
}

void TZADirManager::Fail(int32_t code) const {
    throw EZAException(code, settings_.ComponentName);
}

bool TZADirManager::FindEndRecord() {
    Fail(0);
}
void TZADirManager::ReadDirectory() {
    Fail(0);
}
void TZADirManager::WriteDirectory() {
    Fail(0);
}
void TZADirManager::WriteSFXStub(Stream&) {
    Fail(0);
}
int64_t TZADirManager::RecordedDirectoryOffset() const {
    return 0;
}
void TZADirManager::ReadEntries(int64_t, int64_t, uint64_t) {}
void TZADirManager::AdjustOffsets(int64_t) {}
void TZADirManager::Rebuild() {}

} // namespace zip
