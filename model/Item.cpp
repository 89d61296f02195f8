#include "model/Item.h"

namespace model {

TpaAlbumSettingsTextFieldList& TpaItem::TextFields() {
    return Kind == ikPhoto ? Level.Photo.TextFields : Level.TextFields;
}

const TpaAlbumSettingsTextFieldList& TpaItem::TextFields() const {
    return Kind == ikPhoto ? Level.Photo.TextFields : Level.TextFields;
}

TpaAlbumSettingsImageFieldList& TpaItem::ImageFields() {
    return Kind == ikPhoto ? Level.Photo.ImageFields : Level.ImageFields;
}

const TpaAlbumSettingsImageFieldList& TpaItem::ImageFields() const {
    return Kind == ikPhoto ? Level.Photo.ImageFields : Level.ImageFields;
}

TpaAlbumSettingsMusicField& TpaItem::Music() {
    return Kind == ikPhoto ? Level.Photo.Music : Level.Music;
}

const TpaAlbumSettingsMusicField& TpaItem::Music() const {
    return Kind == ikPhoto ? Level.Photo.Music : Level.Music;
}

TpaAlbumSettingsTextField* TpaItem::CaptionField() const {
    return TextFields().CaptionField();
}

} // namespace model
