#include "model/AlbumSettingsAccessField.h"

#include "model/XmlText.h"

namespace model {

void TpaAlbumSettingsAccessField::LoadFromXml(const QDomElement& element) {
    TryGetElementText(element, Caption);
}

void TpaAlbumSettingsAccessField::LoadValueFromXml(const QDomElement& element) {
    TryGetElementText(element, Value);
}

void TpaAlbumSettingsAccessField::SaveValueToXml(QXmlStreamWriter& writer) const {
    writer.writeTextElement(QStringLiteral("access"), XmlWritableText(Value));
}

} // namespace model
