#include "model/templates/TemplateItem.h"

#include "model/XmlAttributes.h"
#include "model/XmlText.h"

#include <QXmlStreamWriter>

namespace model {

void TpaTemplateItem::Assign(const TpaTemplateItem* source) {
    if (!source || source == this)
        return;
    Id = source->Id;
    Name = source->Name;
    Description = source->Description;
    Package = source->Package;
}

void TpaTemplateItem::LoadFromXml(const QDomElement& node) {
    if (node.isNull())
        return;
    TryGetAttrStr(node, QStringLiteral("id"), Id);
    TryGetAttrStr(node, QStringLiteral("name"), Name);
    TryGetAttrStr(node, QStringLiteral("description"), Description);
    TryGetAttrStr(node, QStringLiteral("package"), Package);
}

void TpaTemplateItem::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeEmptyElement(QString::fromLatin1(XmlElement));
    writer.writeAttribute(QStringLiteral("id"), XmlSafeText(Id));
    writer.writeAttribute(QStringLiteral("name"), XmlSafeText(Name));
    writer.writeAttribute(QStringLiteral("description"), XmlSafeText(Description));
    writer.writeAttribute(QStringLiteral("package"), XmlSafeText(Package));
}

} // namespace model
