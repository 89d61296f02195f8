#pragma once

#include "model/settings/AlbumSettingsImageFieldList.h"
#include "model/settings/AlbumSettingsLinkField.h"
#include "model/settings/AlbumSettingsMusicField.h"
#include "model/settings/AlbumSettingsTextFieldList.h"

namespace model {

// The fields of the photos whose parent has the level's depth.
class TpaAlbumSettingsPhoto {
public:
    QString Name;
    TpaAlbumSettingsTextFieldList TextFields;
    TpaAlbumSettingsImageFieldList ImageFields;
    TpaAlbumSettingsMusicField Music;
    TpaAlbumSettingsLinkField Link;
    int Show = -1; // the image field whose thumbnail stands for the photo

    void Assign(const TpaAlbumSettingsPhoto& source) { *this = source; }
    // Values of fields whose ids exist on both sides; the others keep theirs.
    void AssignValues(const TpaAlbumSettingsPhoto& source);

    void LoadFromXml(const QDomElement& element); // the "photo" definition element

    bool operator==(const TpaAlbumSettingsPhoto&) const = default;
};

} // namespace model
