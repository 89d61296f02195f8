#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// The modification time of `path` itself (a link is not followed), in seconds since
// 1970-01-01 UTC; nullopt when it does not exist.
std::optional<std::int64_t> modificationTime(const std::string& path);

// Sets the modification time of `path` (a link itself, not its target), keeping the access
// time. False when it cannot be set.
bool setModificationTime(const std::string& path, std::int64_t secondsSinceEpoch);

} // namespace platform
