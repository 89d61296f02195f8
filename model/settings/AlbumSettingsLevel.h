#pragma once

#include "model/settings/AlbumSettingsAccessField.h"
#include "model/settings/AlbumSettingsImageFieldList.h"
#include "model/settings/AlbumSettingsMusicField.h"
#include "model/settings/AlbumSettingsPhoto.h"
#include "model/settings/AlbumSettingsTextFieldList.h"

#include <limits>

namespace model {

// The settings of one depth of the album tree, and, in an item's own copy, the
// item's values.
class TpaAlbumSettingsLevel {
public:
    static constexpr int AnyDepth = std::numeric_limits<int>::max(); // the "*" level
    static constexpr int NoLimit = std::numeric_limits<int>::max();

    int Id = AnyDepth;
    int MaxFolders = NoLimit;
    int MaxPhotos = NoLimit;
    QString Name;
    TpaAlbumSettingsAccessField Access;
    TpaAlbumSettingsTextFieldList TextFields;
    TpaAlbumSettingsImageFieldList ImageFields;
    TpaAlbumSettingsMusicField Music;
    TpaAlbumSettingsPhoto Photo;

    void Assign(const TpaAlbumSettingsLevel& source) { *this = source; }

    // Reads a "level" element of "album.xml" (its id has been checked by the list).
    void LoadFromXml(const QDomElement& element);

    bool operator==(const TpaAlbumSettingsLevel&) const = default;
};

} // namespace model
