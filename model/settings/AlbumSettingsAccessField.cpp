#include "model/settings/AlbumSettingsAccessField.h"

#include "model/XmlAttributes.h"
#include "model/XmlText.h"

namespace model {

void TpaAlbumSettingsAccessField::LoadFromXml(const QDomElement& element) {
    TryGetNodeText(element, Caption);
}

void TpaAlbumSettingsAccessField::LoadValueFromXml(const QDomElement& element) {
    TryGetNodeText(element, Value);
}

void TpaAlbumSettingsAccessField::SaveValueToXml(QXmlStreamWriter& writer) const {
    writer.writeTextElement(QStringLiteral("access"), XmlWritableText(Value));
}

} // namespace model
