#pragma once

#include <QString>

class QDomElement;
class QXmlStreamWriter;

namespace model {

// One template of the library: its id is also the name of its folder there.
class TpaTemplateItem {
public:
    static constexpr char XmlElement[] = "template";

    QString Id;
    QString Name;
    QString Description;
    QString Package; // the id of the package that installed it

    // Copies all four fields; nullptr changes nothing.
    void Assign(const TpaTemplateItem* source);
    // Reads "id", "name", "description" and "package"; an absent attribute keeps its field.
    void LoadFromXml(const QDomElement& node);
    // Writes a "template" element with all four attributes, empty ones too.
    void SaveToXml(QXmlStreamWriter& writer) const;
};

} // namespace model
