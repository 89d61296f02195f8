#include "model/items/PhotoItem.h"

#include "model/RequiredIntAttribute.h"

namespace model {

void TpaPhotoItem::LoadFromXml(const QDomElement& element, const QString& previewFolder) {
    if (element.isNull())
        return;
    Fid = RequiredIntAttribute(element, QStringLiteral("fid"));
    Level.Photo.TextFields.LoadValuesFromXml(element);
    Level.Photo.ImageFields.LoadValuesFromXml(element, previewFolder);
    Level.Photo.Music.LoadValueFromXml(element.firstChildElement(QStringLiteral("music")));
    Level.Photo.Link.LoadValueFromXml(element.firstChildElement(QStringLiteral("link")));
}

void TpaPhotoItem::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeAttribute(QStringLiteral("fid"), QString::number(Fid));
    Level.Photo.TextFields.SaveValuesToXml(writer);
    Level.Photo.ImageFields.SaveValuesToXml(writer);
    if (!Level.Photo.Music.FileName.isEmpty())
        Level.Photo.Music.SaveValueToXml(writer);
    Level.Photo.Link.SaveValueToXml(writer);
}

} // namespace model
