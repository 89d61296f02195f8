#pragma once
// Caps on what one extraction may write, so that an archive cannot fill the disk or hand a
// reader a file larger than it can take. A member's claimed size is checked before anything is
// written, and what it really inflates to is checked while it is written.

#include <cstdint>
#include <functional>
#include <string>

namespace zip {

struct TZAUnpackLimits {
    static constexpr int64_t kNone = -1;
    // Bytes all extracted members may take together.
    int64_t Total = kNone;
    // Bytes the member of a stored name (with "/" separators) may take; empty: no cap.
    std::function<int64_t(const std::string& storedName)> PerMember;

    int64_t MemberCap(const std::string& storedName) const {
        return PerMember ? PerMember(storedName) : kNone;
    }
    // The smaller of two limits, either of which may be none.
    static int64_t Tighter(int64_t a, int64_t b) {
        if (a == kNone)
            return b;
        if (b == kNone)
            return a;
        return a < b ? a : b;
    }
};

} // namespace zip
