#pragma once
// Reads a stream front to back through one buffer, for the searches of a damaged archive's
// rebuild: each byte is read about once, however many candidate signatures it holds.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace zip {

class Stream;

class TZAForwardScanner {
public:
    // Scans stream (of size bytes) for signature; a read that fails raises error 44.
    TZAForwardScanner(Stream& stream, int64_t size, uint32_t signature, std::string componentName);

    // Position of the first signature at or after from; -1 when there is none. Searches that
    // move forward cost the bytes between them only.
    int64_t Find(int64_t from);
    // count bytes at position, valid until the next call; nullptr when the stream ends first.
    const uint8_t* At(int64_t position, int64_t count);

private:
    // The buffered bytes from position on, at least need of them unless the stream ends.
    std::pair<const uint8_t*, int64_t> From(int64_t position, int64_t need);

    Stream& stream_;
    int64_t size_;
    uint8_t signature_[4];
    std::string componentName_;
    std::vector<uint8_t> buffer_;
    int64_t start_ = 0; // stream position of buffer_[0]
    // The last search: from memoFrom_ the first signature is at memoFound_ (-1: none).
    int64_t memoFrom_ = -1;
    int64_t memoFound_ = -1;
};

} // namespace zip
