// Fuzz target: open an archive from bytes, read its directory and extract every member into
// memory. The engine may refuse the input only with its own exception; anything else (another
// exception, a crash, a sanitizer report, a runaway allocation) is a finding. An input whose
// first byte has its top bit set is cut into 2 to 5 volumes and read as a split archive.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zip/ZAExcept.h"
#include "zip/codec/ItemCodec.h"
#include "zip/directory/DirManager.h"
#include "zip/streams/MemoryStream.h"
#include "zip/volumes/VolumeReader.h"

#include <memory>

using namespace zip;

namespace {

// Volumes cut from the input, read only.
class FuzzVolumes : public TZAVolumeSource {
public:
    std::vector<std::vector<uint8_t>> parts;
    std::unique_ptr<Stream> OpenVolume(int32_t number, int32_t) override {
        if (number < 0 || size_t(number) >= parts.size())
            throw EZAException(ZAError::VolumeUnavailable);
        return std::make_unique<MemoryStream>(parts[size_t(number)]);
    }
    std::unique_ptr<Stream> CreateVolume(int32_t, std::string&, std::string&) override {
        throw EZAException(ZAError::VolumeUnavailable);
    }
    std::unique_ptr<Stream> ReopenVolume(const std::string&) override { return nullptr; }
    bool RemoveVolume(const std::string&) override { return false; }
    bool RenameVolume(const std::string&, const std::string&) override { return false; }
    int64_t VolumeLimit(int32_t) override { return -1; }
    int64_t FreeSpace(const std::string&) override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzVolumes volumes;
    std::unique_ptr<Stream> stream;
    if (size > 1 && (data[0] & 0x80)) {
        const size_t count = 2 + (data[0] & 3);
        const size_t body = size - 1;
        for (size_t i = 0; i < count; ++i)
            volumes.parts.emplace_back(data + 1 + body * i / count,
                                       data + 1 + body * (i + 1) / count);
    } else {
        stream = std::make_unique<MemoryStream>(std::vector<uint8_t>(data, data + size));
    }
    try {
        if (!stream) {
            const int32_t last = int32_t(volumes.parts.size()) - 1;
            stream =
                std::make_unique<TZAVolumeReader>(volumes, last, volumes.OpenVolume(last, last));
        }
        Stream& archive = *stream;
        TZADirManager dir(archive, TZADirSettings{}, false);
        dir.ReadDirectory();
        TZAItemCodec codec(TZACodecSettings{});
        for (int32_t i = 0; i < dir.Working().Count(); ++i) {
            if (dir.Working().At(i).IsFolder())
                continue;
            // Memory for one member is capped; a member declaring more fails its checks.
            MemoryStream dest = MemoryStream::WithLimit(16 << 20);
            std::string password = "pw";
            try {
                codec.ExtractItemToStream(dir, i, dest, password, false);
            } catch (const EZAException&) {
                // a damaged member: go on with the next, as the failure event's Ignore does
            }
        }
    } catch (const EZAException&) {
    }
    return 0;
}
