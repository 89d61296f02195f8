#include "model/settings/AlbumSettingsTextFieldList.h"

#include "model/XmlAttributes.h"

namespace model {

void TpaAlbumSettingsTextFieldList::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    TryGetAttrInt(element, QStringLiteral("caption"), CaptionFieldId);
    LoadDefinitionsFromXml(element, QStringLiteral("txt"));
}

void TpaAlbumSettingsTextFieldList::LoadValuesFromXml(const QDomElement& element) {
    LoadValuesFromChildren(element, QStringLiteral("txt"));
}

bool TpaAlbumSettingsTextFieldList::operator==(const TpaAlbumSettingsTextFieldList& other) const {
    return CaptionFieldId == other.CaptionFieldId && SameItems(other);
}

} // namespace model
