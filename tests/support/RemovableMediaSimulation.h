#pragma once

#include "platform/sys/RemovableMedia.h"

#include <string>
#include <vector>

namespace platform {

// Stands in for a removable drive while it lives: every path below `folder` counts as
// removable, labels set there are recorded, and the free space reported for it can be fixed.
// One at a time.
class RemovableMediaSimulation : public RemovableMediaStandIn {
public:
    explicit RemovableMediaSimulation(std::string folder);
    ~RemovableMediaSimulation() override;
    RemovableMediaSimulation(const RemovableMediaSimulation&) = delete;
    RemovableMediaSimulation& operator=(const RemovableMediaSimulation&) = delete;

    bool Covers(const std::string& path) const override;
    // Labels set so far, oldest first.
    const std::vector<std::string>& Labels() const { return labels_; }
    void RecordLabel(const std::string& label) override { labels_.push_back(label); }
    std::optional<std::uint64_t> FreeSpace() const override { return FreeBytes; }
    // Free bytes reported for the medium; nullopt: those of the real file system.
    std::optional<std::uint64_t> FreeBytes;

private:
    std::string folder_;
    std::vector<std::string> labels_;
};

} // namespace platform
