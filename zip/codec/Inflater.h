#pragma once
// A raw inflate stream whose output is handed on in fixed-size blocks, so memory stays bounded
// whatever the data expands to.

#include <cstdint>
#include <functional>
#include <memory>

namespace zip {

class Inflater {
public:
    enum class Result { Ok, StreamEnd, Error, Stopped };

    Inflater();
    ~Inflater();
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Starts a member; false when zlib refuses.
    bool Begin();
    // Inflates all of input (or up to the end of the deflate stream), handing each output block
    // to sink, which returns false to stop. Ok: input used up, more may follow; StreamEnd: the
    // stream ended (bytes after it are ignored); Error: damaged data; Stopped: the sink said so.
    Result Inflate(const uint8_t* input, int64_t size,
                   const std::function<bool(const uint8_t* data, int64_t size)>& sink);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace zip
