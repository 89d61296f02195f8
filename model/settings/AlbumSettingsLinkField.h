#pragma once

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

namespace model {

// The link of a photo: address and browser target.
class TpaAlbumSettingsLinkField {
public:
    QString Caption;
    QString Src;
    QString Target = QStringLiteral("_blank");

    void Assign(const TpaAlbumSettingsLinkField& source) { *this = source; }
    void AssignValues(const TpaAlbumSettingsLinkField& source) {
        Src = source.Src;
        Target = source.Target;
    }

    void LoadFromXml(const QDomElement& element);        // definition: text = caption
    void LoadValueFromXml(const QDomElement& element);   // present attributes only
    void SaveValueToXml(QXmlStreamWriter& writer) const; // <link src=".." target=".."/>

    bool operator==(const TpaAlbumSettingsLinkField&) const = default;
};

} // namespace model
