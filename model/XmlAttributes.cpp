#include "model/XmlAttributes.h"

namespace model {

bool TryGetAttrStr(const QDomElement& node, const QString& name, QString& value) {
    if (node.isNull() || !node.hasAttribute(name))
        return false;
    value = node.attribute(name);
    return true;
}

bool TryGetAttrInt(const QDomElement& node, const QString& name, int& value) {
    QString text;
    if (!TryGetAttrStr(node, name, text))
        return false;
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (!ok)
        return false;
    value = number;
    return true;
}

bool TryGetAttrVariant(const QDomElement& node, const QString& name, QVariant& value) {
    QString text;
    if (!TryGetAttrStr(node, name, text))
        return false;
    value = text;
    return true;
}

bool TryGetNodeText(const QDomElement& node, QString& value) {
    if (node.isNull())
        return false;
    QString text;
    bool hasText = false;
    for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
        if (child.isElement())
            return false;
        if (child.isText()) { // CDATA sections are text nodes too
            text += child.toText().data();
            hasText = true;
        }
    }
    if (!hasText)
        return false;
    value = text;
    return true;
}

} // namespace model
