#include "platform/sys/RemovableMedia.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace platform {

namespace {

RemovableMediaSimulation* gSimulation = nullptr;

std::string absolute(const std::string& path) {
    std::error_code ec;
    const auto result = std::filesystem::absolute(path, ec);
    return ec ? path : result.lexically_normal().string();
}

} // namespace

RemovableMediaSimulation::RemovableMediaSimulation(std::string folder) : folder_(absolute(folder)) {
    while (folder_.size() > 1 && folder_.back() == '/')
        folder_.pop_back();
    gSimulation = this;
}

RemovableMediaSimulation::~RemovableMediaSimulation() {
    if (gSimulation == this)
        gSimulation = nullptr;
}

bool RemovableMediaSimulation::Covers(const std::string& path) const {
    const std::string full = absolute(path);
    return full == folder_ ||
           (full.size() > folder_.size() && full.compare(0, folder_.size(), folder_) == 0 &&
            full[folder_.size()] == '/');
}

RemovableMediaSimulation* RemovableMediaSimulation::Current() {
    return gSimulation;
}

bool isRemovableMedia(const std::string& path) {
    if (gSimulation && gSimulation->Covers(path))
        return true;
    struct stat st {};
    std::string probe = path.empty() ? std::string(".") : path;
    while (::stat(probe.c_str(), &st) != 0) {
        const auto parent = std::filesystem::path(probe).parent_path().string();
        if (parent.empty() || parent == probe)
            return false;
        probe = parent;
    }
    // A partition has no flag of its own: its disk, one level up, carries it.
    const std::string base = "/sys/dev/block/" + std::to_string(major(st.st_dev)) + ":" +
                             std::to_string(minor(st.st_dev));
    for (const std::string& file : {base + "/removable", base + "/../removable"}) {
        std::ifstream in(file);
        int value = 0;
        if (in >> value)
            return value == 1;
    }
    return false;
}

bool setVolumeLabel(const std::string& path, const std::string& label) {
    if (gSimulation && gSimulation->Covers(path)) {
        gSimulation->RecordLabel(label);
        return true;
    }
    return false;
}

} // namespace platform
