#pragma once

#include <string>
#include <vector>

namespace platform {

// The names of the entries of `folder` as the file system stores them, bytes that need not be
// UTF-8 included; "." and ".." are left out. Empty when the folder cannot be read.
std::vector<std::string> folderEntryNames(const std::string& folder);

} // namespace platform
