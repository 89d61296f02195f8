#pragma once
// A stream that only counts what is written to it (testing a member without keeping its data).

#include <cstdint>

#include "zip/streams/Stream.h"

namespace zip {

class NullStream : public Stream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void*, int64_t count) override;
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override;
    int64_t Size() override { return size_; }
    bool SetSize(int64_t newSize) override;

private:
    int64_t size_ = 0;
    int64_t position_ = 0;
};

} // namespace zip
