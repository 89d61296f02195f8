#pragma once

#include <QList>
#include <QString>

class QObject;
class QWidget;

namespace app {

class ApplicationForms;

// A frame made at run time that copies its translated texts (captions, filters, combo-box
// items) from the hidden model frame of its kind, when it is made and after every language
// switch. Frames without a model (the access field) have no texts to copy and need not
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

protected:
    // Every caption of the model's named components goes to the frame's component of the same
    // name: button, menu-item and label texts, group-box titles, the items of lists to choose from.
    // What shows the field's own data stays: the caption label, edits, editable lists and labels
    // the model leaves empty.
    static void copyCaptions(const QObject* model, QObject* frame);
};

} // namespace app
