#include "app/frames/LocalizedFrame.h"

#include "app/l10n/ApplicationForms.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QWidget>

namespace app {

int LocalizedFrame::relocalizeAll(const QList<QWidget*>& holders, const ApplicationForms& forms) {
    int count = 0;
    for (QWidget* holder : holders) {
        if (!holder)
            continue;
        for (QWidget* child : holder->findChildren<QWidget*>()) {
            auto* frame = dynamic_cast<LocalizedFrame*>(child);
            if (!frame)
                continue;
            if (QObject* model = forms.find(frame->modelFrameName())) {
                frame->LocalizeFrom(model);
                ++count;
            }
        }
    }
    return count;
}

void LocalizedFrame::copyCaptions(const QObject* model, QObject* frame) {
    for (const QObject* from : model->findChildren<QObject*>()) {
        const QString name = from->objectName();
        if (name.isEmpty() || name == u"lbCaption")
            continue;
        QObject* to = frame->findChild<QObject*>(name);
        if (!to || to->metaObject() != from->metaObject())
            continue;
        if (auto* action = qobject_cast<const QAction*>(from))
            static_cast<QAction*>(to)->setText(action->text());
        else if (auto* button = qobject_cast<const QAbstractButton*>(from))
            static_cast<QAbstractButton*>(to)->setText(button->text());
        else if (auto* group = qobject_cast<const QGroupBox*>(from))
            static_cast<QGroupBox*>(to)->setTitle(group->title());
        else if (auto* label = qobject_cast<const QLabel*>(from); label && !label->text().isEmpty())
            static_cast<QLabel*>(to)->setText(label->text());
        else if (auto* combo = qobject_cast<const QComboBox*>(from);
                 combo && !combo->isEditable()) {
            auto* target = static_cast<QComboBox*>(to);
            const QSignalBlocker block(target);
            for (int i = 0; i < target->count() && i < combo->count(); ++i)
                target->setItemText(i, combo->itemText(i));
        }
    }
}

} // namespace app
