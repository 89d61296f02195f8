#include "app/l10n/ApplicationForms.h"

namespace app {

void ApplicationForms::add(QObject* form) {
    if (form && !forms_.contains(form))
        forms_.append(form);
}

QObject* ApplicationForms::find(const QString& exactName) const {
    for (const QPointer<QObject>& form : forms_) {
        if (form && form->objectName() == exactName)
            return form;
    }
    return nullptr;
}

QList<QObject*> ApplicationForms::forms() const {
    QList<QObject*> out;
    for (const QPointer<QObject>& form : forms_) {
        if (form)
            out.append(form);
    }
    return out;
}

} // namespace app
