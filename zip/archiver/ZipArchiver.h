#pragma once

#include "zip/archiver/ZABaseArchiver.h"

namespace zip {

// The archiver for standard ZIP files: standard signatures, deflate (or stored at mode 0)
// and, unless asked for, no Zip64 records.
class TZipArchiver : public TZABaseArchiver {
public:
    explicit TZipArchiver(std::string name = {});

protected:
    void UpdateCompressionMethod() override;
};

} // namespace zip
