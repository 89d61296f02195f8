#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

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

} // namespace app
