#include "model/settings/AlbumSettingsImageFieldList.h"

namespace model {

void TpaAlbumSettingsImageFieldList::LoadFromXml(const QDomElement& element) {
    LoadDefinitionsFromXml(element, QStringLiteral("src"));
}

void TpaAlbumSettingsImageFieldList::LoadValuesFromXml(const QDomElement& element,
                                                       const QString& previewFolder) {
    LoadValuesFromChildren(element, QStringLiteral("src"), previewFolder);
}

} // namespace model
