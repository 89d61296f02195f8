#include "zip/codec/Deflater.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "zip/ZAExcept.h"

namespace zip {

namespace {
constexpr size_t kOutputBlock = 256 * 1024;

[[noreturn]] void Raise(const z_stream& zs) {
    throw ECompressionError(std::string("error") + (zs.msg ? std::string(": ") + zs.msg : ""));
}
} // namespace

struct Deflater::State {
    z_stream zs{};
    bool initialised = false;
    int level = -1;
    std::vector<uint8_t> out = std::vector<uint8_t>(kOutputBlock);
    ~State() {
        if (initialised)
            deflateEnd(&zs);
    }
};

Deflater::Deflater() : state_(std::make_unique<State>()) {}
Deflater::~Deflater() = default;

void Deflater::Begin(int level) {
    level = std::clamp(level, 0, 9);
    State& s = *state_;
    if (s.initialised && s.level == level) {
        if (deflateReset(&s.zs) != Z_OK)
            Raise(s.zs);
        return;
    }
    if (s.initialised) {
        deflateEnd(&s.zs);
        s.initialised = false;
    }
    std::memset(&s.zs, 0, sizeof s.zs);
    if (deflateInit2(&s.zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        Raise(s.zs);
    s.initialised = true;
    s.level = level;
}

bool Deflater::Compress(const uint8_t* input, int64_t size, bool finish,
                        const std::function<bool(uint8_t*, int64_t)>& sink) {
    State& s = *state_;
    int64_t left = size;
    const uint8_t* next = input;
    for (;;) {
        // zlib counts in 32 bits; feed very large inputs in slices.
        const auto slice = static_cast<uInt>(std::min<int64_t>(left, 1 << 30));
        s.zs.next_in = const_cast<Bytef*>(next);
        s.zs.avail_in = slice;
        const bool lastSlice = slice == left;
        const int flush = lastSlice ? (finish ? Z_FINISH : Z_SYNC_FLUSH) : Z_NO_FLUSH;
        int rc;
        do {
            s.zs.next_out = s.out.data();
            s.zs.avail_out = static_cast<uInt>(s.out.size());
            rc = deflate(&s.zs, flush);
            if (rc == Z_STREAM_ERROR)
                Raise(s.zs);
            const int64_t produced = static_cast<int64_t>(s.out.size() - s.zs.avail_out);
            if (produced > 0 && !sink(s.out.data(), produced))
                return false;
            // Loop until zlib has room left over: then all input is taken and, for a flush,
            // all output delivered. A finish goes on until the end of the stream.
        } while (s.zs.avail_out == 0 || s.zs.avail_in > 0 ||
                 (flush == Z_FINISH && rc != Z_STREAM_END));
        next += slice;
        left -= slice;
        if (lastSlice)
            return true;
    }
}

} // namespace zip
