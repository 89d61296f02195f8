#pragma once

#include "model/items/ImageInfo.h"

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

namespace model {

// An image field of a level: the definition (box, thumbnail relation) and the
// item's image.
class TpaAlbumSettingsImageField {
public:
    int Id = -1;
    QString Caption;
    int Thumb = -1; // -1: a main image; else the id of the field this one is reduced from
    int W = 0;      // box the image is fitted into; 0 keeps the size
    int H = 0;
    TpaImageInfo Image;

    void Assign(const TpaAlbumSettingsImageField& source) { *this = source; }
    void AssignValue(const TpaAlbumSettingsImageField& source) { Image = source.Image; }

    // Definition: "thumb", "w", "h"; text = caption.
    void LoadFromXml(const QDomElement& element);
    // Value: the image facts (ConversionError without "w" or "h").
    void LoadValueFromXml(const QDomElement& element, const QString& previewFolder);
    // <src id="N" w="W" h="H">path</src>
    void SaveValueToXml(QXmlStreamWriter& writer) const;

    bool operator==(const TpaAlbumSettingsImageField&) const = default;
};

} // namespace model
