#include "model/AlbumSettingsImageField.h"

#include "model/PendingUtils.h"
#include "model/XmlText.h"

namespace model {

void TpaAlbumSettingsImageField::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    TryGetElementText(element, Caption);
    pending::TryGetAttrInt(element, QStringLiteral("thumb"), Thumb);
    pending::TryGetAttrInt(element, QStringLiteral("w"), W);
    pending::TryGetAttrInt(element, QStringLiteral("h"), H);
}

void TpaAlbumSettingsImageField::LoadValueFromXml(const QDomElement& element,
                                                  const QString& previewFolder) {
    Image.LoadFromXml(element, previewFolder);
}

void TpaAlbumSettingsImageField::SaveValueToXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("src"));
    writer.writeAttribute(QStringLiteral("id"), QString::number(Id));
    Image.SaveToXml(writer);
    writer.writeEndElement();
}

} // namespace model
