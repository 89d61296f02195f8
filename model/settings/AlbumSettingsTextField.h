#pragma once

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

namespace model {

// A text field of a level: its definition from "album.xml" and the item's value.
// The value may hold the font-size markup of the text frame.
class TpaAlbumSettingsTextField {
public:
    int Id = -1;
    QString Caption;
    bool Locked = false;
    bool LockFontSized = false;
    QString Value;

    void Assign(const TpaAlbumSettingsTextField& source) { *this = source; }
    void AssignValue(const TpaAlbumSettingsTextField& source) { Value = source.Value; }

    // Definition: "locked" and "lockfontsized" (only "1" sets them), text = caption.
    void LoadFromXml(const QDomElement& element);
    // Value: the element's text; an element without text leaves the value.
    void LoadValueFromXml(const QDomElement& element);
    // <txt id="N"><![CDATA[value]]></txt>
    void SaveValueToXml(QXmlStreamWriter& writer) const;

    bool operator==(const TpaAlbumSettingsTextField&) const = default;
};

} // namespace model
