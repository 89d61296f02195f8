#include "model/RequiredIntAttribute.h"

#include "model/Errors.h"

namespace model {

int RequiredIntAttribute(const QDomElement& element, const QString& name) {
    bool ok = false;
    const int value = element.attribute(name).trimmed().toInt(&ok);
    if (!element.hasAttribute(name) || !ok)
        throw ConversionError(
            QString("The element \"%1\" at line %2 needs a number in its attribute \"%3\".")
                .arg(element.tagName())
                .arg(element.lineNumber())
                .arg(name));
    return value;
}

} // namespace model
