#include "model/settings/AlbumSettingsLevel.h"

#include "model/XmlAttributes.h"

namespace model {

void TpaAlbumSettingsLevel::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    if (element.attribute(QStringLiteral("id")) == u"*")
        Id = AnyDepth;
    else
        TryGetAttrInt(element, QStringLiteral("id"), Id);
    Access.LoadFromXml(element.firstChildElement(QStringLiteral("access")));
    TryGetAttrInt(element, QStringLiteral("maxfolders"), MaxFolders);
    TryGetAttrInt(element, QStringLiteral("maxphotos"), MaxPhotos);
    TryGetAttrStr(element, QStringLiteral("name"), Name);
    TextFields.LoadFromXml(element);
    ImageFields.LoadFromXml(element);
    Music.LoadFromXml(element.firstChildElement(QStringLiteral("music")));
    Photo.LoadFromXml(element.firstChildElement(QStringLiteral("photo")));
}

} // namespace model
