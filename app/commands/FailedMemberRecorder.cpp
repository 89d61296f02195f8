#include "app/commands/FailedMemberRecorder.h"

#include "zip/archiver/ZipArchiver.h"

#include <algorithm>

namespace app {

namespace {

// An archiver without handlers, whose failure event asks the user the engine's own question.
class DefaultQuestion : public zip::TZipArchiver {
public:
    using zip::TZipArchiver::DoOnProcessFileFailure;
};

} // namespace

FailedMemberRecorder::FailedMemberRecorder(zip::TZABaseArchiver& archiver)
    : archiver_(archiver), saved_(std::move(archiver.OnProcessFileFailure)) {
    archiver_.OnProcessFileFailure =
        [this](zip::TZABaseArchiver& source, const std::string& fileName,
               zip::TZAProcessOperation op, int nativeError, int errorCode,
               const std::string& errorMessage, zip::TZAAction& action) {
            lastFailed_ = fileName;
            std::replace(lastFailed_.begin(), lastFailed_.end(), '\\', '/');
            if (saved_) {
                saved_(source, fileName, op, nativeError, errorCode, errorMessage, action);
                return;
            }
            DefaultQuestion().DoOnProcessFileFailure(fileName, op, nativeError, errorCode,
                                                     errorMessage, action);
        };
}

FailedMemberRecorder::~FailedMemberRecorder() {
    archiver_.OnProcessFileFailure = std::move(saved_);
}

} // namespace app
