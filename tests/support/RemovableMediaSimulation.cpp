#include "tests/support/RemovableMediaSimulation.h"

#include <filesystem>

namespace platform {

namespace {

std::string absolute(const std::string& path) {
    std::error_code ec;
    const auto result = std::filesystem::absolute(path, ec);
    return ec ? path : result.lexically_normal().string();
}

} // namespace

RemovableMediaSimulation::RemovableMediaSimulation(std::string folder) : folder_(absolute(folder)) {
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
    setRemovableMediaStandIn(this);
}

RemovableMediaSimulation::~RemovableMediaSimulation() {
    if (removableMediaStandIn() == this)
        setRemovableMediaStandIn(nullptr);
}

bool RemovableMediaSimulation::Covers(const std::string& path) const {
    const std::string full = absolute(path);
    return full == folder_ ||
           (full.size() > folder_.size() && full.compare(0, folder_.size(), folder_) == 0 &&
            full[folder_.size()] == '/');
}

} // namespace platform
