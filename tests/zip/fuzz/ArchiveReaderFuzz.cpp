// Fuzz target: open an archive from bytes, read its directory and extract every member into
// memory. The engine may refuse the input only with its own exception; anything else (another
// exception, a crash, a sanitizer report, a runaway allocation) is a finding.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "zip/ZAExcept.h"
#include "zip/codec/ItemCodec.h"
#include "zip/directory/DirManager.h"
#include "zip/streams/MemoryStream.h"

using namespace zip;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream archive(std::vector<uint8_t>(data, data + size));
    try {
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
