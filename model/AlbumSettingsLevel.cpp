#include "model/AlbumSettingsLevel.h"

#include "model/PendingUtils.h"

namespace model {

void TpaAlbumSettingsLevel::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    if (element.attribute(QStringLiteral("id")) == u"*")
        Id = AnyDepth;
    else
        pending::TryGetAttrInt(element, QStringLiteral("id"), Id);
    Access.LoadFromXml(element.firstChildElement(QStringLiteral("access")));
    pending::TryGetAttrInt(element, QStringLiteral("maxfolders"), MaxFolders);
    pending::TryGetAttrInt(element, QStringLiteral("maxphotos"), MaxPhotos);
    pending::TryGetAttrStr(element, QStringLiteral("name"), Name);
    TextFields.LoadFromXml(element);
    ImageFields.LoadFromXml(element);
    Music.LoadFromXml(element.firstChildElement(QStringLiteral("music")));
    Photo.LoadFromXml(element.firstChildElement(QStringLiteral("photo")));
}

} // namespace model
