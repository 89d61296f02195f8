#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

// Whether `path` (or, when it does not exist yet, its nearest existing parent) lies on a
// removable medium: the block device under its mount says so in sysfs, or a stand-in
// covers it.
bool isRemovableMedia(const std::string& path);

// Labels the medium holding `path`. Relabelling a mounted file system needs privileges this
// program does not have, so this only succeeds under a stand-in; callers treat a failure
// as harmless.
bool setVolumeLabel(const std::string& path, const std::string& label);

// Stands in for removable drives on a machine that has none (tests): the paths it covers count
// as removable, labels set there go to it, and it may fix the free space reported for them.
class RemovableMediaStandIn {
public:
    virtual ~RemovableMediaStandIn() = default;
    virtual bool Covers(const std::string& path) const = 0;
    virtual void RecordLabel(const std::string& label) = 0;
    // Free bytes of the covered paths; nullopt: those of the real file system.
    virtual std::optional<std::uint64_t> FreeSpace() const = 0;
};

// Installs `standIn` (not owned; it must outlive its use); nullptr: only the machine's drives.
void setRemovableMediaStandIn(RemovableMediaStandIn* standIn);
RemovableMediaStandIn* removableMediaStandIn();

} // namespace platform
