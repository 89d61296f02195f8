#include "zip/archiver/ZipArchiver.h"

namespace zip {

TZipArchiver::TZipArchiver(std::string name) : TZABaseArchiver(std::move(name)) {
    SelectStandardSignatures(true);
    Zip64Mode = TZip64Mode::zmDisabled;
    UpdateCompressionMethod();
}

void TZipArchiver::UpdateCompressionMethod() {
    setCompressionMethod(CompressionMode() != 0 ? kMethodDeflate : kMethodStored);
}

} // namespace zip
