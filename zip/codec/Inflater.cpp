#include "zip/codec/Inflater.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace zip {

namespace {
constexpr size_t kOutputBlock = 256 * 1024;
}

struct Inflater::State {
    z_stream zs{};
    bool initialised = false;
    std::vector<uint8_t> out = std::vector<uint8_t>(kOutputBlock);
    ~State() {
        if (initialised)
            inflateEnd(&zs);
    }
};

Inflater::Inflater() : state_(std::make_unique<State>()) {}
Inflater::~Inflater() = default;

bool Inflater::Begin() {
    State& s = *state_;
    if (s.initialised)
        return inflateReset(&s.zs) == Z_OK;
    std::memset(&s.zs, 0, sizeof s.zs);
    if (inflateInit2(&s.zs, -15) != Z_OK)
        return false;
    s.initialised = true;
    return true;
}

Inflater::Result Inflater::Inflate(const uint8_t* input, int64_t size,
                                   const std::function<bool(const uint8_t*, int64_t)>& sink) {
    State& s = *state_;
    s.zs.next_in = const_cast<Bytef*>(input);
    s.zs.avail_in = static_cast<uInt>(size);
    for (;;) {
        s.zs.next_out = s.out.data();
        s.zs.avail_out = static_cast<uInt>(s.out.size());
        const int rc = inflate(&s.zs, Z_NO_FLUSH);
        const int64_t produced = static_cast<int64_t>(s.out.size() - s.zs.avail_out);
        if (produced > 0 && !sink(s.out.data(), produced))
            return Result::Stopped;
        if (rc == Z_STREAM_END)
            return Result::StreamEnd;
        // Z_BUF_ERROR only says that no progress was possible: more input is needed.
        if (rc != Z_OK && rc != Z_BUF_ERROR)
            return Result::Error;
        if (s.zs.avail_in == 0 && s.zs.avail_out != 0)
            return Result::Ok;
        if (rc == Z_BUF_ERROR && s.zs.avail_out != 0)
            return Result::Ok;
    }
}

} // namespace zip
