#include "model/GalleryItem.h"

#include "model/ItemXml.h"

namespace model {

void TpaGalleryItem::LoadFromXml(const QDomElement& element, const QString& previewFolder) {
    if (element.isNull())
        return;
    Id = RequiredIntAttribute(element, QStringLiteral("id"));
    Pid = RequiredIntAttribute(element, QStringLiteral("pid"));
    Level.Access.LoadValueFromXml(element.firstChildElement(QStringLiteral("access")));
    Level.TextFields.LoadValuesFromXml(element);
    Level.ImageFields.LoadValuesFromXml(element, previewFolder);
    Level.Music.LoadValueFromXml(element.firstChildElement(QStringLiteral("music")));
}

void TpaGalleryItem::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeAttribute(QStringLiteral("id"), QString::number(Id));
    writer.writeAttribute(QStringLiteral("pid"), QString::number(Pid));
    Level.TextFields.SaveValuesToXml(writer);
    Level.ImageFields.SaveValuesToXml(writer);
    if (!Level.Music.FileName.isEmpty())
        Level.Music.SaveValueToXml(writer);
    if (!Level.Access.Value.isEmpty())
        Level.Access.SaveValueToXml(writer);
}

} // namespace model
