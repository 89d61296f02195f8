#pragma once

// Readers of attributes and element text that never throw.

#include <QDomElement>
#include <QString>
#include <QVariant>

namespace model {

// Attribute readers that leave `value` alone when the attribute is absent or unusable.
bool TryGetAttrStr(const QDomElement& node, const QString& name, QString& value);
// A decimal 32-bit integer; surrounding blanks and a sign are allowed.
bool TryGetAttrInt(const QDomElement& node, const QString& name, int& value);
bool TryGetAttrVariant(const QDomElement& node, const QString& name, QVariant& value);
// The text of an element that holds text or CDATA and no elements (parts joined); false for
// an empty element or one with child elements.
bool TryGetNodeText(const QDomElement& node, QString& value);

} // namespace model
