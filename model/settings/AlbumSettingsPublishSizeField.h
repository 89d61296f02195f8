#pragma once

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

namespace model {

enum TpaSizeMetric { szPercent = 0, szPixel = 1 };

// The album's publish size. Width and Height are the template's native size
// (from "album.xml", never written to "data.xml"); the scale and pixel numbers
// are the user's, -1 meaning not set. The metrics stay plain integers so that an
// unknown value read from a file is kept and shown as no size.
class TpaAlbumSettingsPublishSizeField {
public:
    int Width = -1;
    int Height = -1;
    int WidthScale = -1;
    int HeightScale = -1;
    int WidthPixel = -1;
    int HeightPixel = -1;
    int WidthMetric = szPercent;
    int HeightMetric = szPercent;
    bool ConstrainProportions = true;

    void Assign(const TpaAlbumSettingsPublishSizeField& source) { *this = source; }

    // Attributes of the album root element.
    void LoadFromXml(const QDomElement& element);
    void SaveToXml(QXmlStreamWriter& writer) const;

    // "80%" or "300" or "" as the page and the embed code use them.
    QString WidthText() const;
    QString HeightText() const;

    bool operator==(const TpaAlbumSettingsPublishSizeField&) const = default;
};

} // namespace model
