#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <stdexcept>
#include <string>

namespace app {

// The root that language-file keys start from ("Application"): the application's title,
// hint and help file, and its forms by their exact names, in the order they were created.
class ApplicationForms {
public:
    QString Title;
    QString Hint;
    QString HelpFile;

    void add(QObject* form);
    QObject* find(const QString& exactName) const;
    QList<QObject*> forms() const;

private:
    QList<QPointer<QObject>> forms_;
};

// The form of that name and class. The application makes every form before its windows work,
// so one missing (or no forms at all) is a fault in the assembly: std::logic_error.
template <typename Form> Form& requiredForm(const ApplicationForms* forms, const char* name) {
    if (forms)
        if (auto* form = qobject_cast<Form*>(forms->find(QString::fromLatin1(name))))
            return *form;
    throw std::logic_error(std::string("The form \"") + name + "\" is missing.");
}

} // namespace app
