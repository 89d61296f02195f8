#pragma once

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

namespace model {

// The access text of the album root or a gallery. An empty caption means the
// level has no access field.
class TpaAlbumSettingsAccessField {
public:
    QString Caption;
    QString Value;

    void Assign(const TpaAlbumSettingsAccessField& source) { *this = source; }

    void LoadFromXml(const QDomElement& element); // definition: text = caption
    void LoadValueFromXml(const QDomElement& element);
    void SaveValueToXml(QXmlStreamWriter& writer) const; // <access>value</access>

    bool operator==(const TpaAlbumSettingsAccessField&) const = default;
};

} // namespace model
