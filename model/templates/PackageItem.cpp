#include "model/templates/PackageItem.h"

#include "model/XmlAttributes.h"
#include "model/XmlText.h"

#include <QDomDocument>
#include <QIODevice>
#include <QXmlStreamWriter>

namespace model {

void TpaPackageItem::Assign(const TpaPackageItem* source) {
    if (!source || source == this)
        return;
    Id = source->Id;
    Name = source->Name;
    Templates.Assign(&source->Templates);
}

void TpaPackageItem::LoadFromXml(const QDomElement& node) {
    if (node.isNull())
        return;
    TryGetAttrStr(node, QStringLiteral("id"), Id);
    TryGetAttrStr(node, QStringLiteral("name"), Name);
    Templates.LoadFromXml(node);
}

void TpaPackageItem::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeEmptyElement(QString::fromLatin1(XmlElement));
    writer.writeAttribute(QStringLiteral("id"), XmlSafeText(Id));
    writer.writeAttribute(QStringLiteral("name"), XmlSafeText(Name));
}

void TpaPackageItem::LoadFromStream(QIODevice& stream) {
    const QDomDocument document = ParseXmlDocument(stream.readAll(), QStringLiteral("package.xml"));
    const QDomElement root = document.documentElement();
    if (root.tagName() == u"package")
        LoadFromXml(root);
}

} // namespace model
