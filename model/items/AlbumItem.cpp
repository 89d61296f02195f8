#include "model/items/AlbumItem.h"

namespace model {

void TpaAlbumItem::LoadFromXml(const QDomElement& element, const QString& previewFolder) {
    if (element.isNull())
        return;
    LoadLevelValuesFromXml(element, previewFolder);
    PublishSize.LoadFromXml(element);
}

void TpaAlbumItem::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeAttribute(QStringLiteral("defaultfolder"), QStringLiteral("0"));
    PublishSize.SaveToXml(writer);
    SaveLevelValuesToXml(writer);
}

} // namespace model
