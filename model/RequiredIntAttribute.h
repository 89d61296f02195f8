#pragma once

#include <QDomElement>
#include <QString>

namespace model {

// The integer attribute an element must carry; throws ConversionError naming
// the element, its line and the attribute when it is absent or not a number.
int RequiredIntAttribute(const QDomElement& element, const QString& name);

} // namespace model
