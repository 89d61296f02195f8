#pragma once

#include "model/items/Item.h"

#include <QDomElement>
#include <QXmlStreamWriter>

namespace model {

// A gallery: an "item" of the "folder" element of "data.xml". Id and Pid are
// the numbers the last save gave it and its parent gallery (0: the root).
class TpaGalleryItem : public TpaItem {
public:
    TpaGalleryItem() : TpaItem(ikGallery) {}

    int Id = 0;
    int Pid = 0;

    // "id" and "pid" are required (ConversionError).
    void LoadFromXml(const QDomElement& element, const QString& previewFolder);
    void SaveToXml(QXmlStreamWriter& writer) const;
};

} // namespace model
