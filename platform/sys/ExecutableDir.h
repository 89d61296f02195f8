#pragma once

#include <string>

namespace platform {

// The folder of the running executable, ending with "/". Works before any
// application object exists, so the folder layout can be computed first.
std::string executableDir();

} // namespace platform
