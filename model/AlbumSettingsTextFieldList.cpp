#include "model/AlbumSettingsTextFieldList.h"

#include "model/Utils.h"

namespace model {

void TpaAlbumSettingsTextFieldList::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    TryGetAttrInt(element, QStringLiteral("caption"), CaptionFieldId);
    for (QDomElement e = element.firstChildElement(QStringLiteral("txt")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("txt"))) {
        int id = -1;
        if (!TryGetAttrInt(e, QStringLiteral("id"), id))
            continue;
        if (TpaAlbumSettingsTextField* field = Add(id))
            field->LoadFromXml(e);
    }
}

void TpaAlbumSettingsTextFieldList::LoadValuesFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    for (QDomElement e = element.firstChildElement(QStringLiteral("txt")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("txt"))) {
        int id = -1;
        if (!TryGetAttrInt(e, QStringLiteral("id"), id))
            continue;
        if (TpaAlbumSettingsTextField* field = FindById(id))
            field->LoadValueFromXml(e);
    }
}

void TpaAlbumSettingsTextFieldList::SaveValuesToXml(QXmlStreamWriter& writer) const {
    for (const auto& field : Items)
        field->SaveValueToXml(writer);
}

bool TpaAlbumSettingsTextFieldList::operator==(const TpaAlbumSettingsTextFieldList& other) const {
    return CaptionFieldId == other.CaptionFieldId && SameItems(other);
}

} // namespace model
