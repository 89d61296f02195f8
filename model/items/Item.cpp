#include "model/items/Item.h"

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

void TpaItem::LoadLevelValuesFromXml(const QDomElement& element, const QString& previewFolder) {
    Level.Access.LoadValueFromXml(element.firstChildElement(QStringLiteral("access")));
    Level.TextFields.LoadValuesFromXml(element);
    Level.ImageFields.LoadValuesFromXml(element, previewFolder);
    Level.Music.LoadValueFromXml(element.firstChildElement(QStringLiteral("music")));
}

void TpaItem::SaveLevelValuesToXml(QXmlStreamWriter& writer) const {
    Level.TextFields.SaveValuesToXml(writer);
    Level.ImageFields.SaveValuesToXml(writer);
    if (!Level.Music.FileName.isEmpty())
        Level.Music.SaveValueToXml(writer);
    if (!Level.Access.Value.isEmpty())
        Level.Access.SaveValueToXml(writer);
}

} // namespace model
