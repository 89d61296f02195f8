#pragma once

#include <string>

namespace platform {

// The folder for temporary files: $TMPDIR when it names a folder, else /tmp. Ends with "/".
std::string tempFolder();

// Creates a new, empty file named `prefix` + six unique characters + ".tmp" in `folder`
// (empty: the temporary folder) and returns its path. Nothing else can have created the same
// file. Returns "" when no file could be created or `prefix` holds a "/".
std::string makeTempFile(const std::string& folder, const std::string& prefix);

} // namespace platform
