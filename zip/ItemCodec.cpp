#include "zip/ItemCodec.h"

#include "zip/ZAExcept.h"

namespace zip {

struct TZAItemCodec::Buffers {};

TZAItemCodec::TZAItemCodec(TZACodecSettings settings) : settings_(std::move(settings)) {}
TZAItemCodec::~TZAItemCodec() = default;

bool TZAItemCodec::CompressItem(Stream&, Stream&, TDirItem&) {
    throw EZAException(0, settings_.ComponentName);
}
TZAExtractResult TZAItemCodec::ExtractItem(Stream&, Stream&, const TDirItem&, int64_t,
                                           std::string&) {
    throw EZAException(0, settings_.ComponentName);
}
TZAExtractResult TZAItemCodec::ExtractItemToStream(TZADirManager&, int32_t, Stream&, std::string&,
                                                   bool) {
    throw EZAException(0, settings_.ComponentName);
}

} // namespace zip
