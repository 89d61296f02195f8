#include "model/settings/AlbumSettingsImageField.h"

#include "model/XmlAttributes.h"
#include "model/XmlText.h"

namespace model {

void TpaAlbumSettingsImageField::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    TryGetNodeText(element, Caption);
    TryGetAttrInt(element, QStringLiteral("thumb"), Thumb);
    TryGetAttrInt(element, QStringLiteral("w"), W);
    TryGetAttrInt(element, QStringLiteral("h"), H);
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
