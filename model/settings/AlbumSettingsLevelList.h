#pragma once

#include "model/settings/AlbumSettingsLevel.h"

#include <memory>
#include <vector>

namespace model {

// The levels of "album.xml" in reading order. Lookups by depth fall back on the
// "*" level.
class TpaAlbumSettingsLevelList {
public:
    std::vector<std::unique_ptr<TpaAlbumSettingsLevel>> Items;

    TpaAlbumSettingsLevelList() = default;
    TpaAlbumSettingsLevelList(const TpaAlbumSettingsLevelList& other);
    TpaAlbumSettingsLevelList& operator=(const TpaAlbumSettingsLevelList& other);
    TpaAlbumSettingsLevelList(TpaAlbumSettingsLevelList&&) noexcept = default;
    TpaAlbumSettingsLevelList& operator=(TpaAlbumSettingsLevelList&&) noexcept = default;

    // The level with the id, else the "*" level, else nullptr.
    TpaAlbumSettingsLevel* FindLevel(int id) const;
    int IndexOfId(int id) const;
    // A new level when no level answers the id yet, else nullptr.
    TpaAlbumSettingsLevel* Add(int id);
    int Count() const { return static_cast<int>(Items.size()); }
    void Clear() { Items.clear(); }

    // Reads the "level" children of the "setting" element. Throws
    // ConversionError for a level without an id.
    void LoadFromXml(const QDomElement& setting);
};

} // namespace model
