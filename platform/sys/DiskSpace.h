#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Bytes an unprivileged user may still write on the file system holding `path`. A path that
// does not exist yet is measured at its nearest existing parent folder. nullopt when it
// cannot be found out.
std::optional<std::uint64_t> freeDiskSpace(const std::string& path);

} // namespace platform
