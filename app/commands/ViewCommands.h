#pragma once

#include <QObject>

#include <functional>

namespace model {
class TpaTreeNode;
}

namespace app {

class EditorContext;
struct MainActions;

// The view actions: expand and collapse the tree, step to the previous or next photo, and the
// album page's preview and publish-size tabs.
class ViewCommands : public QObject {
    Q_OBJECT

public:
    ViewCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);

    void acViewExpandAllExecute();
    void acViewCollapseAllExecute();
    void acViewPrevExecute();
    void acViewNextExecute();
    void acViewRefreshAlbumPreviewExecute();
    void acFilePublishSettingExecute();

private:
    // A pump, the step (inside a busy section when asked), then the tree gets the focus and
    // the actions are brought up to date.
    void viewStep(bool busy, const std::function<void()>& step);
    void selectSiblingPhoto(model::TpaTreeNode* (*sibling)(const model::TpaTreeNode*));

    EditorContext& editor_;
};

} // namespace app
