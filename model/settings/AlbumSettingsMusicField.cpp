#include "model/settings/AlbumSettingsMusicField.h"

#include "model/SafePath.h"
#include "model/XmlAttributes.h"
#include "model/XmlText.h"

namespace model {

void TpaAlbumSettingsMusicField::LoadFromXml(const QDomElement& element) {
    TryGetNodeText(element, Caption);
}

void TpaAlbumSettingsMusicField::LoadValueFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    Startup = QStringLiteral("off");
    QString text;
    if (TryGetNodeText(element, text)) {
        const QString name = LastPathComponent(text);
        // "." or ".." would name a folder, not a file in the music folder.
        FileName = IsSafeRelativePath(name) ? name : QString();
    }
    if (element.hasAttribute(QStringLiteral("startup")))
        Startup = element.attribute(QStringLiteral("startup"));
}

void TpaAlbumSettingsMusicField::SaveValueToXml(QXmlStreamWriter& writer) const {
    writer.writeStartElement(QStringLiteral("music"));
    writer.writeAttribute(QStringLiteral("startup"), XmlSafeText(Startup));
    writer.writeCharacters(XmlWritableText(FolderName() + FileName));
    writer.writeEndElement();
}

} // namespace model
