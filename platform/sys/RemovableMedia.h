#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Whether `path` (or, when it does not exist yet, its nearest existing parent) lies on a
// removable medium: the block device under its mount says so in sysfs, or a simulation
// covers it.
bool isRemovableMedia(const std::string& path);

// Labels the medium holding `path`. Relabelling a mounted file system needs privileges this
// program does not have, so this only succeeds under a simulation; callers treat a failure
// as harmless.
bool setVolumeLabel(const std::string& path, const std::string& label);

// Stands in for a removable drive while it lives: every path below `folder` counts as
// removable, labels set there are recorded, and the free space reported for it can be fixed.
// One at a time, for tests and demonstrations.
class RemovableMediaSimulation {
public:
    explicit RemovableMediaSimulation(std::string folder);
    ~RemovableMediaSimulation();
    RemovableMediaSimulation(const RemovableMediaSimulation&) = delete;
    RemovableMediaSimulation& operator=(const RemovableMediaSimulation&) = delete;

    bool Covers(const std::string& path) const;
    // Labels set so far, oldest first.
    const std::vector<std::string>& Labels() const { return labels_; }
    void RecordLabel(const std::string& label) { labels_.push_back(label); }
    // Free bytes reported for the medium; nullopt: those of the real file system.
    std::optional<std::uint64_t> FreeBytes;

    // The simulation in effect, or nullptr.
    static RemovableMediaSimulation* Current();

private:
    std::string folder_;
    std::vector<std::string> labels_;
};

} // namespace platform
