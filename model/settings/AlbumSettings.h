#pragma once

#include "model/settings/AlbumSettingsLevelList.h"
#include "model/settings/AlbumSettingsPublishSizeField.h"

namespace model {

// The template settings of an album, read from "album.xml".
class TpaAlbumSettings {
public:
    QString Id; // the template's folder name in the template library
    TpaAlbumSettingsPublishSizeField PublishSize; // only Width and Height are set here
    TpaAlbumSettingsLevelList Levels;

    // Throws XmlLoadError (missing or malformed file) or ConversionError (a
    // level without an id); the object is left unchanged then.
    void LoadFromFile(const QString& path);

    // Galleries and photos an album of this template may hold: kMaxAlbumItems, fewer when
    // its widest level would take the album past kMaxItemFields.
    int MaxItems() const;
};

} // namespace model
