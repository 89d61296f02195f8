#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

namespace app {

class ApplicationForms;
class TdsLocalization;

// Writes the component texts of the loaded language into live forms. A key is the path
// "Application", form name, component name(s), property; form and component names match in
// their exact letter case, property names in any case. Only texts are ever written: captions,
// hints, edit texts, list items and file-dialog texts, never names, numbers or flags.
//
// Each text is remembered as it was before its first change, so that the next language
// starts again from the English texts instead of keeping what the previous one wrote.
class FormTranslator {
public:
    explicit FormTranslator(ApplicationForms& application);

    // Every form of the application, after putting back the texts the last language changed.
    void TranslateApplication(const TdsLocalization& localization);

    // The keys under "Application.<form name>." applied to one form, e.g. a window made
    // after the language was loaded.
    void TranslateForm(const TdsLocalization& localization, QObject* form);

    // component == nullptr stands for the application object.
    void TranslateComponent(const TdsLocalization& localization, QObject* component,
                            const QString& prefix, bool recurse);

    // Writes back every text a language changed.
    void RestoreOriginals();

    // Marks a frame or sub-form as a scope of its own: the search for a component by name
    // does not look inside it (it can still be found itself by its name).
    static void MarkScope(QObject* object);

    // The component named exactly `name` owned by `scope`, not looking inside nested scopes.
    static QObject* FindOwned(QObject* scope, const QString& name);

private:
    struct Original {
        QPointer<QObject> object;
        QString property; // folded property name, or "items/N", "lines/N"
        QString value;
    };

    bool setComponentProperty(QObject* object, const QStringList& parts, const QString& value,
                              bool recurse);
    bool setApplicationProperty(const QString& name, const QString& value);
    bool setListItem(QObject* object, const QString& listName, const QString& part,
                     const QString& value);
    bool setTextProperty(QObject* object, const QString& property, const QString& value);
    void remember(QObject* object, const QString& property, const QString& current);

    ApplicationForms& application_;
    QList<Original> originals_;
};

} // namespace app
