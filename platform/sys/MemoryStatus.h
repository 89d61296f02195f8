#pragma once

#include <cstdint>

namespace platform {

// Physical memory the system can still hand out without swapping, in bytes (0 when unknown).
std::uint64_t availablePhysicalMemory();

} // namespace platform
