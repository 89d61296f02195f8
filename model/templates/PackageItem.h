#pragma once

#include "model/templates/TemplateItemList.h"

class QIODevice;

namespace model {

// A template package: its id, name and the templates it brings (from its "package.xml").
class TpaPackageItem {
public:
    static constexpr char XmlElement[] = "package";

    QString Id;
    QString Name;
    TpaTemplateItemList Templates;

    // Copies id and name and takes source's templates; nullptr changes nothing.
    void Assign(const TpaPackageItem* source);
    // Reads "id" and "name" (an absent attribute keeps its field) and the "template" children.
    void LoadFromXml(const QDomElement& node);
    // Writes a "package" element with "id" and "name" only.
    void SaveToXml(QXmlStreamWriter& writer) const;
    // Reads a "package.xml" document: its top-level "package" element, when there is one.
    // Throws XmlLoadError when the text is not well-formed XML.
    void LoadFromStream(QIODevice& stream);
};

} // namespace model
