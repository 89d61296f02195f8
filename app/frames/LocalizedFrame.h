#pragma once

#include <QList>
#include <QString>

class QObject;
class QWidget;

namespace app {

class ApplicationForms;

// A frame made at run time that copies its translated texts (captions, filters, combo-box
// items) from the hidden model frame of its kind, when it is made and after every language
// switch. Frames without a model (access and link fields) have no texts to copy and need not
// implement this.
class LocalizedFrame {
public:
    virtual ~LocalizedFrame() = default;

    // The name of the hidden model frame among the application's forms, e.g. "frmTextField".
    virtual QString modelFrameName() const = 0;
    // Copies the texts from the model frame.
    virtual void LocalizeFrom(QObject* model) = 0;

    // Every localized frame inside the holders, at any depth, copies its texts anew from its
    // model. Returns how many did.
    static int relocalizeAll(const QList<QWidget*>& holders, const ApplicationForms& forms);
};

} // namespace app
