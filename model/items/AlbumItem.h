#pragma once

#include "model/items/Item.h"
#include "model/settings/AlbumSettingsPublishSizeField.h"

#include <QDomElement>
#include <QXmlStreamWriter>

namespace model {

// The album root item, the "photogallery" element of "data.xml".
class TpaAlbumItem : public TpaItem {
public:
    TpaAlbumItem() : TpaItem(ikAlbum) {}

    TpaAlbumSettingsPublishSizeField PublishSize;

    void LoadFromXml(const QDomElement& element, const QString& previewFolder);
    // Attributes and value children into the element the writer has open.
    void SaveToXml(QXmlStreamWriter& writer) const;
};

} // namespace model
