#include "platform/sys/RemovableMedia.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace platform {

namespace {

RemovableMediaStandIn* gStandIn = nullptr;

} // namespace

void setRemovableMediaStandIn(RemovableMediaStandIn* standIn) {
    gStandIn = standIn;
}

RemovableMediaStandIn* removableMediaStandIn() {
    return gStandIn;
}

bool isRemovableMedia(const std::string& path) {
    if (gStandIn && gStandIn->Covers(path))
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
    if (gStandIn && gStandIn->Covers(path)) {
        gStandIn->RecordLabel(label);
        return true;
    }
    return false;
}

} // namespace platform
