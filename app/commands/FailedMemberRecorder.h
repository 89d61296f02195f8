#pragma once

#include "zip/archiver/ZABaseArchiver.h"

#include <string>

namespace app {

// Notes which member an archive job failed on while the archiver asks the user as it always
// does (Abort, Ignore, Retry): the engine's own text of damaged data names no member, and after
// Abort the member would otherwise be lost. Restores the archiver's handler when it ends.
class FailedMemberRecorder {
public:
    explicit FailedMemberRecorder(zip::TZABaseArchiver& archiver);
    ~FailedMemberRecorder();
    FailedMemberRecorder(const FailedMemberRecorder&) = delete;
    FailedMemberRecorder& operator=(const FailedMemberRecorder&) = delete;

    // The name of the last member that failed, with "/" ("" when none did).
    const std::string& lastFailed() const { return lastFailed_; }

private:
    zip::TZABaseArchiver& archiver_;
    decltype(zip::TZABaseArchiver::OnProcessFileFailure) saved_;
    std::string lastFailed_;
};

} // namespace app
