#include "model/items/GalleryItem.h"

#include "model/RequiredIntAttribute.h"

namespace model {

void TpaGalleryItem::LoadFromXml(const QDomElement& element, const QString& previewFolder) {
    if (element.isNull())
        return;
    Id = RequiredIntAttribute(element, QStringLiteral("id"));
    Pid = RequiredIntAttribute(element, QStringLiteral("pid"));
    LoadLevelValuesFromXml(element, previewFolder);
}

void TpaGalleryItem::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeAttribute(QStringLiteral("id"), QString::number(Id));
    writer.writeAttribute(QStringLiteral("pid"), QString::number(Pid));
    SaveLevelValuesToXml(writer);
}

} // namespace model
