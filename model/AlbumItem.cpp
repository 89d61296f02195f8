#include "model/AlbumItem.h"

namespace model {

void TpaAlbumItem::LoadFromXml(const QDomElement& element, const QString& previewFolder) {
    if (element.isNull())
        return;
    Level.Access.LoadValueFromXml(element.firstChildElement(QStringLiteral("access")));
    Level.TextFields.LoadValuesFromXml(element);
    Level.ImageFields.LoadValuesFromXml(element, previewFolder);
    Level.Music.LoadValueFromXml(element.firstChildElement(QStringLiteral("music")));
    PublishSize.LoadFromXml(element);
}

void TpaAlbumItem::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeAttribute(QStringLiteral("defaultfolder"), QStringLiteral("0"));
    PublishSize.SaveToXml(writer);
    Level.TextFields.SaveValuesToXml(writer);
    Level.ImageFields.SaveValuesToXml(writer);
    if (!Level.Music.FileName.isEmpty())
        Level.Music.SaveValueToXml(writer);
    if (!Level.Access.Value.isEmpty())
        Level.Access.SaveValueToXml(writer);
}

} // namespace model
