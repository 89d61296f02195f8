#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>

class QAction;
class QTreeView;
class QWidget;

namespace app {

// Del, Ins, Ctrl+Ins and Shift+Ins act on the tree only while it has the focus and edits no
// caption; elsewhere (a text frame's edit, the caption editor) the focused control gets them.
class EditShortcuts : public QObject {
    Q_OBJECT

public:
    // The actions with the shortcut each has while the tree has the focus.
    EditShortcuts(QTreeView& tree, QList<QPair<QAction*, QKeySequence>> actions,
                  QObject* parent = nullptr);

    // Sets or clears the shortcuts for the widget that has the focus now.
    void update(QWidget* focus);

private:
    QTreeView& tree_;
    QList<QPair<QAction*, QKeySequence>> actions_;
};

} // namespace app
