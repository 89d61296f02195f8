#include "app/commands/ViewCommands.h"

#include "app/BusyState.h"
#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/commands/CommandGuard.h"
#include "app/dialogs/ProgressScope.h"
#include "app/pages/AlbumTreeModel.h"

#include "model/document/Album.h"
#include "model/tree/TreeUtils.h"

#include <QTreeView>

#include <optional>

namespace app {

using model::TpaTreeNode;

ViewCommands::ViewCommands(EditorContext& editor, const MainActions& actions, QObject* parent)
    : QObject(parent), editor_(editor) {
    onTriggered(actions.acViewExpandAll, this, [this] { acViewExpandAllExecute(); });
    onTriggered(actions.acViewCollapseAll, this, [this] { acViewCollapseAllExecute(); });
    onTriggered(actions.acViewPrev, this, [this] { acViewPrevExecute(); });
    onTriggered(actions.acViewNext, this, [this] { acViewNextExecute(); });
    onTriggered(actions.acViewRefreshAlbumPreview, this,
                [this] { acViewRefreshAlbumPreviewExecute(); });
    onTriggered(actions.acFilePublishSetting, this, [this] { acFilePublishSettingExecute(); });
}

void ViewCommands::viewStep(bool busy, const std::function<void()>& step) {
    pumpMessages();
    {
        std::optional<BusyScope> section;
        if (busy)
            section.emplace(editor_.busyState());
        step();
    }
    editor_.treeView().setFocus();
    editor_.UpdateActions();
}

// The nodes' flags are what the view shows and what moves keep, so both commands set them.
void ViewCommands::acViewExpandAllExecute() {
    viewStep(true, [this] {
        for (TpaTreeNode* n = editor_.album().Tree().First(); n; n = n->NextInPreOrder())
            n->SetExpanded(true);
    });
}

void ViewCommands::acViewCollapseAllExecute() {
    viewStep(true, [this] {
        if (TpaTreeNode* root = editor_.album().Tree().Root()) {
            editor_.selectNode(root);
            for (TpaTreeNode* n = root; n; n = n->NextInPreOrder())
                n->SetExpanded(n == root);
        }
    });
}

void ViewCommands::acViewPrevExecute() {
    viewStep(false, [this] { selectSiblingPhoto(model::GetPrevPhotoNode); });
}

void ViewCommands::acViewNextExecute() {
    viewStep(false, [this] { selectSiblingPhoto(model::GetNextPhotoNode); });
}

void ViewCommands::selectSiblingPhoto(TpaTreeNode* (*sibling)(const TpaTreeNode*)) {
    if (TpaTreeNode* n = editor_.selectedNode(); n && n->IsPhoto()) {
        if (TpaTreeNode* target = sibling(n))
            editor_.selectNode(target);
    }
}

void ViewCommands::acViewRefreshAlbumPreviewExecute() {
    pumpMessages();
    editor_.showAlbumTab(AlbumTab::Preview);
}

void ViewCommands::acFilePublishSettingExecute() {
    pumpMessages();
    editor_.showAlbumTab(AlbumTab::Settings);
}

} // namespace app
