#include "app/commands/EditShortcuts.h"

#include <QAction>
#include <QApplication>
#include <QTreeView>

namespace app {

EditShortcuts::EditShortcuts(QTreeView& tree, QList<QPair<QAction*, QKeySequence>> actions,
                             QObject* parent)
    : QObject(parent), tree_(tree), actions_(std::move(actions)) {
    // The in-place editor takes the focus from the tree while it is open, so a focus change
    // also tells when editing begins and ends.
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { update(now); });
    update(QApplication::focusWidget());
}

void EditShortcuts::update(QWidget* focus) {
    // While a caption is edited the focus is in the editor, a child of the tree's viewport.
    const bool onTree = focus == &tree_;
    for (const auto& [action, keys] : actions_) {
        if (action)
            action->setShortcut(onTree ? keys : QKeySequence());
    }
}

} // namespace app
