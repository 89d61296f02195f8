#include "model/RequiredIntAttribute.h"

#include "model/Errors.h"

namespace model {

int RequiredIntAttribute(const QDomElement& element, const QString& name) {
    bool ok = false;
    const int value = element.attribute(name).trimmed().toInt(&ok);
    if (!element.hasAttribute(name) || !ok) {
        // Elements built in memory rather than parsed know no line.
        const QString where =
            element.lineNumber() > 0 ? QString(" at line %1").arg(element.lineNumber()) : QString();
        throw ConversionError(
            QString("The element \"%1\"%2 needs a number in its attribute \"%3\".")
                .arg(element.tagName(), where, name));
    }
    return value;
}

} // namespace model
