#include "model/settings/AlbumSettingsLinkField.h"

#include "model/XmlAttributes.h"
#include "model/XmlText.h"

namespace model {

void TpaAlbumSettingsLinkField::LoadFromXml(const QDomElement& element) {
    TryGetNodeText(element, Caption);
}

void TpaAlbumSettingsLinkField::LoadValueFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    if (element.hasAttribute(QStringLiteral("src")))
        Src = element.attribute(QStringLiteral("src"));
    if (element.hasAttribute(QStringLiteral("target")))
        Target = element.attribute(QStringLiteral("target"));
}

void TpaAlbumSettingsLinkField::SaveValueToXml(QXmlStreamWriter& writer) const {
    writer.writeEmptyElement(QStringLiteral("link"));
    writer.writeAttribute(QStringLiteral("src"), XmlSafeText(Src));
    writer.writeAttribute(QStringLiteral("target"), XmlSafeText(Target));
}

} // namespace model
