#pragma once
// A raw deflate stream (no zlib header or trailer), reused across members.

#include <cstdint>
#include <functional>
#include <memory>

namespace zip {

class Deflater {
public:
    Deflater();
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Starts a member at zlib level 0-9. Raises ECompressionError when zlib refuses.
    void Begin(int level);
    // Compresses input; finish ends the stream. Every piece of output is handed to sink, which
    // returns false to stop (a failed write). Returns false when the sink stopped it. All of
    // input is consumed. Raises ECompressionError on a zlib error.
    bool Compress(const uint8_t* input, int64_t size, bool finish,
                  const std::function<bool(uint8_t* data, int64_t size)>& sink);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace zip
