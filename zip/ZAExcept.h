#pragma once
// The archive engine's exceptions.
//
// EZAException carries a native code (the code it was raised with) and the index of the
// message text that code selects. Its message is the text, optionally prefixed by the name
// of the raising component, followed by " - Native error: " and the code as five digits.
// A failure of the system (a read, write or create that failed) also carries the system's own
// error number, taken when the exception is made, right after the failing call: whoever shows
// it later may have run event loops and other calls that changed errno meanwhile.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "zip/ZAError.h"
#include "zip/names/ZAFormat.h"

namespace zip {

class EZAException : public std::runtime_error {
public:
    // componentName: the name of the raising archiver component, or empty.
    explicit EZAException(ZAError code, std::string_view componentName = {})
        : EZAException(CodeOf(code), componentName) {}
    // As above, with the selected text used as a format over args ("%s", "%d", "%5d").
    EZAException(ZAError code, std::string_view componentName,
                 const std::vector<TZAFormatArg>& args)
        : EZAException(CodeOf(code), componentName, args) {}
    // The same by number, for any code of the table (the engine raises by name).
    explicit EZAException(int32_t code, std::string_view componentName = {});
    EZAException(int32_t code, std::string_view componentName,
                 const std::vector<TZAFormatArg>& args);

    int32_t ErrorCode() const { return errorCode_; }
    int32_t NativeError() const { return nativeError_; }
    // The system's error number (errno) of the failing call; 0 when the failure was none of
    // the system's or it gave no number.
    int SystemError() const { return systemError_; }
    // Whether a native code is raised right after a system call failed.
    static bool IsSystemCode(int32_t code);
    bool Is(ZAError code) const { return nativeError_ == CodeOf(code); }

    // The message text index a native code selects (0 when the code is not in the table).
    static int32_t TextIndexOf(int32_t code);
    // The message text at an index (empty for slots without a text or outside the table).
    static std::string_view TextAt(int32_t index);
    // Number of native codes in the code table.
    static constexpr int kCodeCount = 70;
    static constexpr int kTextSlots = 47;

private:
    EZAException(int systemError, int32_t code, std::string_view componentName,
                 const std::vector<TZAFormatArg>* args);
    static std::string BuildMessage(int32_t code, std::string_view componentName,
                                    const std::vector<TZAFormatArg>* args);

    int32_t errorCode_;
    int32_t nativeError_;
    int systemError_;
};

// Plain failures of the engine that carry no code: "Cannot set spanning mode on open archive"
// and "'%s' is an invalid mask at (%d)".
class EZAPlainError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raised when zlib refuses to compress; kept apart from EZAException on purpose, since only
// EZAException becomes a per-item failure event.
class ECompressionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class EDecompressionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The two plain texts.
inline constexpr const char* kSpanningModeOnOpenArchive =
    "Cannot set spanning mode on open archive";
inline constexpr const char* kInvalidMaskFormat = "'%s' is an invalid mask at (%d)";
// What a job on an archive with a rebuilt directory reports as its last failure.
inline constexpr const char* kRecoveredArchiveText =
    "Archive is damaged: its directory was rebuilt from the local headers and members may be "
    "missing";

} // namespace zip
