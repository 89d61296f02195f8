#pragma once

#include "model/AlbumSettingsImageFieldList.h"
#include "model/AlbumSettingsLinkField.h"
#include "model/AlbumSettingsMusicField.h"
#include "model/AlbumSettingsTextFieldList.h"

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
