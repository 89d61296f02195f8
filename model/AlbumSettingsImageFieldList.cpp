#include "model/AlbumSettingsImageFieldList.h"

#include "model/Utils.h"

namespace model {

void TpaAlbumSettingsImageFieldList::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    for (QDomElement e = element.firstChildElement(QStringLiteral("src")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("src"))) {
        int id = -1;
        if (!TryGetAttrInt(e, QStringLiteral("id"), id))
            continue;
        if (TpaAlbumSettingsImageField* field = Add(id))
            field->LoadFromXml(e);
    }
}

void TpaAlbumSettingsImageFieldList::LoadValuesFromXml(const QDomElement& element,
                                                       const QString& previewFolder) {
    if (element.isNull())
        return;
    for (QDomElement e = element.firstChildElement(QStringLiteral("src")); !e.isNull();
         e = e.nextSiblingElement(QStringLiteral("src"))) {
        int id = -1;
        if (!TryGetAttrInt(e, QStringLiteral("id"), id))
            continue;
        if (TpaAlbumSettingsImageField* field = FindById(id))
            field->LoadValueFromXml(e, previewFolder);
    }
}

void TpaAlbumSettingsImageFieldList::SaveValuesToXml(QXmlStreamWriter& writer) const {
    for (const auto& field : Items)
        field->SaveValueToXml(writer);
}

} // namespace model
