#pragma once

#include <QObject>

namespace model {
class TpaTreeNode;
}

namespace app {

class EditorContext;
struct MainActions;

// Editing the album tree: galleries added, deleted, renamed and moved, photos moved.
class TreeCommands : public QObject {
    Q_OBJECT

public:
    TreeCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);

    void MovePhotoTo(model::TpaTreeNode* target);

private:
    EditorContext& editor_;
};

} // namespace app
