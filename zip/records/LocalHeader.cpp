#include "zip/records/LocalHeader.h"

#include "zip/directory/DirItem.h"
#include "zip/records/ExtraField.h"
#include "zip/records/LittleEndian.h"

namespace zip {

static_assert(kLocalHeaderSize == 4 + TZAHeaderFields::kSize);

void TZALocalHeader::Encode(uint8_t* out) const {
    le::Put32(out + 0, Signature);
    EncodeFields(out + 4);
}

TZALocalHeader TZALocalHeader::Decode(const uint8_t* in) {
    TZALocalHeader h;
    h.Signature = le::Get32(in + 0);
    h.DecodeFields(in + 4);
    return h;
}

TZALocalHeader TZALocalHeader::FromItem(const TDirItem& item, const std::string& storedName,
                                        bool withZip64Field) {
    TZALocalHeader h;
    h.Signature = item.Signature == kNativeCentralHeaderSignature ? kNativeLocalHeaderSignature
                                                                  : kLocalHeaderSignature;
    static_cast<TZAHeaderFields&>(h) = item;
    h.NameLength = static_cast<uint16_t>(storedName.size());
    h.ExtraLength = withZip64Field ? kLocalZip64FieldSize : 0;
    if (withZip64Field) {
        h.CompressedSize = kSentinel32;
        h.UncompressedSize = kSentinel32;
    }
    return h;
}

std::vector<uint8_t> TZALocalHeader::Assemble(const std::string& storedName, bool withZip64Field,
                                              uint64_t uncompressedSize,
                                              uint64_t compressedSize) const {
    std::vector<uint8_t> out(kLocalHeaderSize + storedName.size() +
                             (withZip64Field ? kLocalZip64FieldSize : 0));
    Encode(out.data());
    std::copy(storedName.begin(), storedName.end(), out.begin() + kLocalHeaderSize);
    if (withZip64Field)
        TZAExtraField::EncodeLocalZip64(out.data() + kLocalHeaderSize + storedName.size(),
                                        uncompressedSize, compressedSize);
    return out;
}

} // namespace zip
