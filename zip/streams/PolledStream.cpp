#include "zip/streams/PolledStream.h"

#include <algorithm>

#include "zip/ZAExcept.h"

namespace zip {

PolledStream::PolledStream(Stream& inner, std::function<bool()> cancelled,
                           std::string componentName)
    : inner_(inner), cancelled_(std::move(cancelled)), componentName_(std::move(componentName)) {}

int64_t PolledStream::Read(void* buffer, int64_t count) {
    // Asked before the read that crosses the mark, so that a large read is not waited out
    // first; every read, however small, counts at least a little, or a search made of many
    // tiny reads would never ask.
    sinceAsked_ += std::max<int64_t>(count, 64);
    if (sinceAsked_ >= kPollBytes) {
        sinceAsked_ = 0;
        if (cancelled_ && cancelled_())
            throw EZAException(ZAError::OpenCancelled, componentName_);
    }
    return inner_.Read(buffer, count);
}

} // namespace zip
