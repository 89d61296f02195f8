#include "model/settings/AlbumSettingsTextField.h"

#include "model/XmlAttributes.h"
#include "model/XmlText.h"

namespace model {

void TpaAlbumSettingsTextField::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    Locked = element.attribute(QStringLiteral("locked")) == u"1";
    LockFontSized = element.attribute(QStringLiteral("lockfontsized")) == u"1";
    TryGetNodeText(element, Caption);
}

void TpaAlbumSettingsTextField::LoadValueFromXml(const QDomElement& element) {
    TryGetNodeText(element, Value);
}

void TpaAlbumSettingsTextField::SaveValueToXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("txt"));
    writer.writeAttribute(QStringLiteral("id"), QString::number(Id));
    // The writer splits a "]]>" inside the value over two sections.
    writer.writeCDATA(XmlWritableText(Value));
    writer.writeEndElement();
}

} // namespace model
