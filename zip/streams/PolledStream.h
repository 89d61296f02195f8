#pragma once
// A stream read on behalf of a long job that the user may cancel: every so many bytes read it
// asks whether to go on, and a no ends the read with error 69. Opening an archive reads its end,
// its directory and its local headers through one, so that Cancel is answered while they are
// searched and checked, however long that takes.

#include <cstdint>
#include <functional>
#include <string>

#include "zip/streams/Stream.h"

namespace zip {

class PolledStream : public Stream {
public:
    // The reads between two questions: a second's reading is many times more.
    static constexpr int64_t kPollBytes = 1 << 20;

    // inner: the stream read (not owned); cancelled: asked every kPollBytes bytes read, true
    // stops. componentName names the error.
    PolledStream(Stream& inner, std::function<bool()> cancelled, std::string componentName);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override {
        return inner_.Write(buffer, count);
    }
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override {
        return inner_.Seek(offset, origin);
    }
    int64_t Size() override { return inner_.Size(); }
    bool SetSize(int64_t newSize) override { return inner_.SetSize(newSize); }
    bool Flush() override { return inner_.Flush(); }

private:
    Stream& inner_;
    std::function<bool()> cancelled_;
    std::string componentName_;
    int64_t sinceAsked_ = 0;
};

} // namespace zip
