#pragma once
// A stream held in memory.

#include <cstdint>
#include <vector>

#include "zip/streams/Stream.h"

namespace zip {

class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}
    // A stream whose size may not grow past limit; writes beyond it fall short.
    static MemoryStream WithLimit(int64_t limit);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    bool SetSize(int64_t newSize) override;

    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t>& Bytes() { return data_; }

private:
    std::vector<uint8_t> data_;
    int64_t position_ = 0;
    int64_t limit_ = INT64_MAX;
};

} // namespace zip
