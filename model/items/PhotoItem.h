#pragma once

#include "model/items/Item.h"

#include <QDomElement>
#include <QXmlStreamWriter>

namespace model {

// A photo: an "item" of the "photo" element of "data.xml". Fid is the number
// of its gallery as of the last save (0: the root).
class TpaPhotoItem : public TpaItem {
public:
    TpaPhotoItem() : TpaItem(ikPhoto) {}

    int Fid = 0;

    // "fid" is required (ConversionError).
    void LoadFromXml(const QDomElement& element, const QString& previewFolder);
    void SaveToXml(QXmlStreamWriter& writer) const;
};

} // namespace model
