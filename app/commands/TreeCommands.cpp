#include "app/commands/TreeCommands.h"

#include "app/BusyState.h"
#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/commands/CommandGuard.h"
#include "app/commands/EditShortcuts.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/ProgressScope.h"
#include "app/frames/TfrmTextField.h"
#include "app/pages/AlbumTreeModel.h"
#include "app/pages/PhotoDropRules.h"

#include "model/FolderLayout.h"
#include "model/document/Album.h"
#include "model/items/PhotoFiles.h"
#include "model/tree/TreeUtils.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>

namespace app {

using model::TpaTreeNode;

namespace {

// The caption's editor on a preview tab: the edit of the text frame that the frame builder
// puts there (only the caption's frame stands on a preview tab).
QWidget* captionEditorIn(QWidget* tab) {
    if (!tab)
        return nullptr;
    for (TfrmTextField* frame : tab->findChildren<TfrmTextField*>()) {
        if (frame->valueEditor()->isEnabled())
            return frame->valueEditor();
    }
    return nullptr;
}

} // namespace

TreeCommands::TreeCommands(EditorContext& editor, const MainActions& actions, QObject* parent)
    : QObject(parent), editor_(editor) {
    onTriggered(actions.acEditAddGallery, this, [this] { AddGallery(false); });
    if (actions.tbEditAddGallery)
        connect(actions.tbEditAddGallery, &QToolButton::clicked, this,
                [this] { guarded([this] { AddGallery(true); }); });
    onTriggered(actions.acEditDelete, this, [this] { DeleteSelected(); });
    onTriggered(actions.acEditRename, this, [this] { Rename(); });
    for (QAction* item : {actions.miAlbumRename, actions.miGalleryRename, actions.miPhotoRename})
        onTriggered(item, this, [this] { RenameInPlace(); });
    onTriggered(actions.acEditMoveUp, this, [this] { MoveUp(); });
    onTriggered(actions.acEditMoveDown, this, [this] { MoveDown(); });

    QTreeView& view = editor_.treeView();
    view.setDragEnabled(true);
    view.setAcceptDrops(true);
    view.setDragDropMode(QAbstractItemView::InternalMove);
    // Every drop lands on an item; where the photo goes follows from the item.
    view.setDragDropOverwriteMode(true);
    view.setDropIndicatorShown(false);
    AlbumTreeModel& model = editor_.treeModel();
    model.setDropCheck([this](const TpaTreeNode* dragged, const TpaTreeNode* target) {
        return canDropPhoto(editor_.album(), dragged, target);
    });
    // A question asked from inside a drop would run a modal loop within the drag's own; the
    // move runs once the drop has returned.
    connect(
        &model, &AlbumTreeModel::photoDropped, this,
        [this](quint64 photo, quint64 target) { guarded([&] { DropPhoto(photo, target); }); },
        Qt::QueuedConnection);

    QList<QPair<QAction*, QKeySequence>> keys;
    for (QAction* a : {actions.acEditDelete, actions.acEditAddPhoto, actions.acEditAddGallery,
                       actions.acEditImport}) {
        if (a)
            keys.append({a, a->shortcut()});
    }
    shortcuts_ = new EditShortcuts(view, keys, this);
}

TreeCommands::~TreeCommands() = default;

void TreeCommands::finish() {
    editor_.treeView().setFocus();
    editor_.UpdateActions();
}

void TreeCommands::AddGallery(bool sibling) {
    pumpMessages();
    if (TpaTreeNode* n = editor_.selectedNode(); n && n->Item()) {
        TpaTreeNode* parent = n->IsAlbum() ? n : n->IsGallery() && !sibling ? n : n->Parent();
        model::TpaAlbum& album = editor_.album();
        if (!parent || !album.CanAddGallery(parent)) {
            QApplication::beep();
        } else {
            BusyScope busy(editor_.busyState());
            std::unique_ptr<model::TpaItem> item = album.CreateItem(model::ikGallery, parent);
            QString name;
            if (auto* caption = item->CaptionField()) {
                const QString base =
                    item->Level.Name.isEmpty() ? QStringLiteral("Gallery") : item->Level.Name;
                name = album.MakeUniqueName(base);
                caption->Value = name;
            }
            TpaTreeNode* node = album.Tree().Insert(parent, model::GalleryInsertPosition(parent),
                                                    std::move(item), name);
            album.SetModified(true);
            editor_.selectNode(node);
        }
    }
    finish();
}

void TreeCommands::DeleteSelected() {
    pumpMessages();
    TpaTreeNode* n = editor_.selectedNode();
    if (n && n->Parent()) {
        bool yes = true;
        if (n->IsGallery() && n->HasChildren()) {
            yes = MessageBoxes::confirm(
                MessageBoxes::message(
                    7,
                    QStringLiteral(
                        "Gallery \"%s\" is not empty. Delete this gallery and all its contents?"),
                    {n->Text()}),
                platform::PromptButton::No);
            pumpMessages();
        }
        if (yes) {
            BusyScope busy(editor_.busyState());
            const model::FolderLayout& f = model::Folders();
            model::DeleteItemFiles(n, f.PreviewFolder, f.ThumbsFolder);
            editor_.album().Tree().Remove(n);
            editor_.album().SetModified(true);
        }
    }
    finish();
}

void TreeCommands::Rename() {
    pumpMessages();
    TpaTreeNode* n = editor_.selectedNode();
    if (n && n->Item()) {
        const PageKind page = n->IsAlbum()     ? PageKind::Album
                              : n->IsGallery() ? PageKind::Gallery
                                               : PageKind::Photo;
        QTabWidget& tabs = editor_.pageTabs(page);
        // The preview tab comes first on every page.
        QWidget* editor = n->Item()->CaptionField() ? captionEditorIn(tabs.widget(0)) : nullptr;
        if (editor) {
            tabs.setCurrentIndex(0);
            editor->setFocus();
            editor_.UpdateActions();
            return;
        }
        QApplication::beep();
    }
    editor_.UpdateActions();
}

void TreeCommands::RenameInPlace() {
    pumpMessages();
    if (TpaTreeNode* n = editor_.selectedNode(); n && n->Item() && n->Item()->CaptionField())
        editor_.postEditNodeCaption(n);
    editor_.UpdateActions();
}

void TreeCommands::MoveUp() {
    moveAmongSiblings(true);
}

void TreeCommands::MoveDown() {
    moveAmongSiblings(false);
}

// A node changes places only with one of its own kind, so that what the tree shows is what
// reopens (see GetPrevMoveSibling).
void TreeCommands::moveAmongSiblings(bool up) {
    pumpMessages();
    TpaTreeNode* n = editor_.selectedNode();
    TpaTreeNode* sibling = !n   ? nullptr
                           : up ? model::GetPrevMoveSibling(n)
                                : model::GetNextMoveSibling(n);
    if (sibling) {
        BusyScope busy(editor_.busyState());
        QList<int> expanded;
        model::SaveTreeExpandState(n, expanded);
        editor_.album().Tree().Move(n, n->Parent(), sibling->Index());
        model::RestoreTreeExpandState(n, expanded);
        editor_.album().SetModified(true);
        editor_.RebuildMoveToMenus(n);
    }
    finish();
}

void TreeCommands::MovePhotoTo(TpaTreeNode* target) {
    pumpMessages();
    TpaTreeNode* photo = editor_.selectedNode();
    if (photo && target && photo->IsPhoto() && target->Item() && !target->IsPhoto())
        MovePhoto(photo, target, -1);
    editor_.UpdateActions();
}

void TreeCommands::DropPhoto(quint64 photoUid, quint64 targetUid) {
    model::TpaAlbumTree& tree = editor_.album().Tree();
    TpaTreeNode* photo = tree.FindByUid(photoUid);
    TpaTreeNode* target = tree.FindByUid(targetUid);
    // The tree may have changed between the drop and now.
    if (canDropPhoto(editor_.album(), photo, target)) {
        const PhotoDropPlace place = photoDropPlace(photo, target);
        MovePhoto(photo, place.parent, place.position);
    }
    editor_.UpdateActions();
}

void TreeCommands::MovePhoto(TpaTreeNode* photo, TpaTreeNode* newParent, int position) {
    if (!photo || !newParent || !photo->IsPhoto() || !photo->Parent())
        return;
    model::TpaAlbum& album = editor_.album();
    const int depth = newParent->Depth();
    if (photo->Parent()->Depth() != depth) {
        const bool yes = MessageBoxes::confirm(MessageBoxes::message(
            15, QStringLiteral("Some information could be lost. Are you sure to proceed?")));
        if (!yes)
            return;
        // The photo might have gone while the question was open.
        if (!album.Tree().FindByUid(photo->Uid()) || !album.Tree().FindByUid(newParent->Uid()))
            return;
        if (const auto* level = album.Settings.Levels.FindLevel(depth); level && photo->Item()) {
            model::ChangePhotoLevel(*photo->Item(), *level, model::Folders());
            album.Tree().NotifyChanged(photo);
            if (editor_.selectedNode() == photo)
                editor_.showSelectedPage();
        }
    }
    {
        BusyScope busy(editor_.busyState());
        QList<int> expanded;
        model::SaveTreeExpandState(photo, expanded);
        album.Tree().Move(photo, newParent, position);
        model::RestoreTreeExpandState(photo, expanded);
        album.SetModified(true);
        editor_.RebuildMoveToMenus(photo);
    }
}

} // namespace app
