#include "model/settings/AlbumSettingsPhoto.h"

#include "model/XmlAttributes.h"

namespace model {

void TpaAlbumSettingsPhoto::AssignValues(const TpaAlbumSettingsPhoto& source) {
    TextFields.AssignValues(source.TextFields);
    ImageFields.AssignValues(source.ImageFields);
    Music.AssignValues(source.Music);
    Link.AssignValues(source.Link);
}

void TpaAlbumSettingsPhoto::LoadFromXml(const QDomElement& element) {
    if (element.isNull())
        return;
    TryGetAttrStr(element, QStringLiteral("name"), Name);
    TryGetAttrInt(element, QStringLiteral("show"), Show);
    TextFields.LoadFromXml(element);
    ImageFields.LoadFromXml(element);
    Music.LoadFromXml(element.firstChildElement(QStringLiteral("music")));
    Link.LoadFromXml(element.firstChildElement(QStringLiteral("link")));
}

} // namespace model
