#pragma once

#include <string>

namespace zip {

// A new version of a file, written beside it under a temporary name and put in its place only
// when complete: until Commit the previous file stays exactly as it was, and a replacement
// that is dropped takes its temporary file with it. A target reached through a symbolic link
// replaces the file the link points to.
class TZAFileReplacement {
public:
    // Creates the temporary file in the target's folder. Raises error 23 naming the target
    // when that folder takes no new file, or when the target is read-only (its owner may not
    // write it): a read-only file is not replaced.
    TZAFileReplacement(const std::string& target, const std::string& componentName);
    ~TZAFileReplacement();
    TZAFileReplacement(const TZAFileReplacement&) = delete;
    TZAFileReplacement& operator=(const TZAFileReplacement&) = delete;

    const std::string& TempPath() const { return temp_; }
    const std::string& Target() const { return target_; }

    // Gives the written temporary file the target's permissions (a new file's usual ones when
    // there was none) and renames it over the target. Raises error 23 when that fails; the
    // temporary file is then removed. The data must already be on the device.
    void Commit();

    // The mode a new file gets here: 0666 less the process's file mode mask.
    static unsigned NewFileMode();

private:
    std::string target_;
    std::string folder_;
    std::string temp_;
    std::string component_;
    bool committed_ = false;
};

} // namespace zip
