#include "app/ActionState.h"

#include "app/l10n/SafeFormat.h"

namespace app {

namespace {

QString fill(const QString& format, const QString& english, const QList<FormatArg>& args) {
    return SafeFormat::withFallback(format, english, args);
}

} // namespace

ActionState ComputeActionState(const ActionInputs& in, const ActionTexts& texts) {
    ActionState s;
    const bool any = in.nodeCount > 0;
    s.fileReopen = in.recentCount > 0;
    s.fileClose = s.fileSaveAs = s.filePublish = s.filePublishSetting = any;
    s.fileUpdateProjectFile = s.viewPreviewInBrowser = s.viewRefresh = any;
    s.fileSave = in.modified;

    const std::optional<SelectedFacts>& n = in.selected;
    auto level = [&](int depth) -> const LevelFacts* {
        auto it = in.levels.constFind(depth);
        return it == in.levels.constEnd() ? nullptr : &*it;
    };
    const QString addToAlbum = QStringLiteral("Add new %s to album");

    // The gallery noun for a child of the node (of the photo's parent for a photo).
    QString g = texts.gallery;
    if (n) {
        const int pDepth = n->kind == NodeKind::Photo ? n->depth - 1 : n->depth;
        if (const LevelFacts* l = level(pDepth + 1); l && !l->name.isEmpty())
            g = l->name;
    }
    s.addGallery = n && n->canAddGallery;
    s.addGalleryCaption = g;
    s.addGalleryHint = fill(texts.addToAlbum, addToAlbum, {g});
    if (s.addGallery) {
        s.subGalleryHint =
            n ? fill(texts.addUnder, QStringLiteral("Add new %s under %s"), {g, n->text})
              : fill(texts.addToAlbum, addToAlbum, {g});
    }

    // A sibling gallery: a child of the root, or of the selected gallery's (photo's) parent.
    QString sg = texts.gallery;
    if (n) {
        const int qDepth = n->kind == NodeKind::Album ? n->depth : n->depth - 1;
        const LevelFacts* next = level(qDepth + 1);
        const LevelFacts* own = level(qDepth);
        if (next) {
            s.siblingGallery = own && n->siblingParentGalleries < own->maxFolders;
            if (!next->name.isEmpty())
                sg = next->name;
        }
    }
    s.siblingGalleryCaption = sg;
    s.siblingGalleryHint = fill(texts.addToAlbum, addToAlbum, {sg});

    QString f = texts.photo;
    if (n) {
        const int depth = n->kind == NodeKind::Photo ? n->depth - 1 : n->depth;
        if (const LevelFacts* l = level(depth); l && !l->photoName.isEmpty())
            f = l->photoName;
    }
    s.addPhoto = n && n->canAddPhoto;
    s.addPhotoCaption = f;
    s.addPhotoHint = fill(texts.addPhotoToAlbum, addToAlbum, {f});
    s.editAddMenu = s.addGallery || s.addPhoto;
    s.import = s.scanMyPictures = s.addPhoto;
    s.changeImage = n && n->kind == NodeKind::Photo;

    s.editDelete = n && n->kind != NodeKind::Album;
    s.editRename = n && n->captionEditable;
    s.treeReadOnly = !s.editRename;
    s.moveUp = n && n->hasPrevSibling;
    s.moveDown = n && n->hasNextSibling;
    s.moveTo = n && in.moveToCount > 0;
    s.expandAll = s.collapseAll = in.nodeCount > 1;
    s.viewPrev = n && n->hasPrevPhoto;
    s.viewNext = n && n->hasNextPhoto;
    s.languageMenu = in.languageCount > 0;
    return s;
}

} // namespace app
