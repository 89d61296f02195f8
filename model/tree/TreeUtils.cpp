#include "model/tree/TreeUtils.h"

#include "model/SafePath.h"
#include "model/document/Album.h"
#include "model/tree/AlbumTree.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace model {

void SaveTreeExpandState(const TpaTreeNode* node, QList<int>& list) {
    for (const TpaTreeNode* n = node; n; n = n->NextInPreOrder(node)) {
        if (n->HasChildren())
            list.append(n->Expanded() ? 1 : 0);
    }
}

void RestoreTreeExpandState(TpaTreeNode* node, QList<int>& list) {
    for (TpaTreeNode* n = node; n && !list.isEmpty(); n = n->NextInPreOrder(node)) {
        if (n->HasChildren())
            n->SetExpanded(list.takeFirst() != 0);
    }
}

TpaTreeNode* GetPrevSiblingNode(const TpaTreeNode* node) {
    return node && node->Parent() ? node->PrevSibling() : nullptr;
}

TpaTreeNode* GetNextSiblingNode(const TpaTreeNode* node) {
    return node && node->Parent() ? node->NextSibling() : nullptr;
}

namespace {

bool sameKind(const TpaTreeNode* a, const TpaTreeNode* b) {
    return a && b && a->IsPhoto() == b->IsPhoto() && a->IsGallery() == b->IsGallery();
}

} // namespace

TpaTreeNode* GetPrevMoveSibling(const TpaTreeNode* node) {
    TpaTreeNode* sibling = GetPrevSiblingNode(node);
    return sameKind(node, sibling) ? sibling : nullptr;
}

TpaTreeNode* GetNextMoveSibling(const TpaTreeNode* node) {
    TpaTreeNode* sibling = GetNextSiblingNode(node);
    return sameKind(node, sibling) ? sibling : nullptr;
}

int GalleryInsertPosition(const TpaTreeNode* parent) {
    int position = 0;
    while (position < parent->ChildCount() && !parent->Child(position)->IsPhoto())
        ++position;
    return position;
}

TpaTreeNode* GetPrevPhotoNode(const TpaTreeNode* node) {
    if (!node || !node->IsPhoto())
        return nullptr;
    for (TpaTreeNode* n = node->PrevSibling(); n; n = n->PrevSibling()) {
        if (n->IsPhoto())
            return n;
    }
    return nullptr;
}

TpaTreeNode* GetNextPhotoNode(const TpaTreeNode* node) {
    if (!node || !node->IsPhoto())
        return nullptr;
    for (TpaTreeNode* n = node->NextSibling(); n; n = n->NextSibling()) {
        if (n->IsPhoto())
            return n;
    }
    return nullptr;
}

int CountGalleryChildren(const TpaTreeNode* node) {
    int count = 0;
    for (int i = 0; node && i < node->ChildCount(); ++i)
        count += node->Child(i)->IsGallery() ? 1 : 0;
    return count;
}

int CountPhotoChildren(const TpaTreeNode* node) {
    int count = 0;
    for (int i = 0; node && i < node->ChildCount(); ++i)
        count += node->Child(i)->IsPhoto() ? 1 : 0;
    return count;
}

namespace {

void DeleteInside(const QString& folder, const QString& path, const QSet<QString>& keep) {
    if (path.isEmpty() || keep.contains(path) || !IsInsideFolder(folder, path))
        return;
    const QFileInfo info(path);
    if (info.isFile() || info.isSymLink())
        QFile::remove(path);
}

// The files of an item, as full paths: images, thumbnails, music.
QStringList FilesOf(const TpaItem& item, const QString& previewFolder) {
    QStringList files;
    for (const auto& field : item.ImageFields().Items) {
        const TpaImageInfo& image = field->Image;
        if (IsPictureAssetPath(image.FileName))
            files << previewFolder + image.FileName;
        if (!image.Thumbnail.isEmpty())
            files << image.Thumbnail;
    }
    const QString music = item.Music().FileName;
    if (IsPlainFileName(music))
        files << previewFolder + TpaAlbumSettingsMusicField::FolderName() + music;
    return files;
}

bool Deletable(const TpaTreeNode* n) {
    return n->Item() && !n->IsAlbum();
}

} // namespace

void DeleteItemFiles(const TpaTreeNode* node, const QString& previewFolder,
                     const QString& thumbsFolder) {
    if (!node || !Deletable(node))
        return;
    // A template may point several items at one default image; files that
    // items outside this subtree still use are kept.
    QSet<QString> keep;
    if (const TpaAlbumTree* tree = node->Tree()) {
        for (const TpaTreeNode* n = tree->First(); n; n = n->NextInPreOrder()) {
            if (n == node) {
                // Jump to the subtree's last node; the walk goes on after it.
                while (n->HasChildren())
                    n = n->Child(n->ChildCount() - 1);
                continue;
            }
            if (n->Item()) {
                for (const QString& file : FilesOf(*n->Item(), previewFolder))
                    keep.insert(file);
            }
        }
    }
    for (const TpaTreeNode* n = node; n; n = node->IsPhoto() ? nullptr : n->NextInPreOrder(node)) {
        if (!Deletable(n))
            continue;
        for (const QString& file : FilesOf(*n->Item(), previewFolder)) {
            if (file.startsWith(previewFolder))
                DeleteInside(previewFolder, file, keep);
            else
                DeleteInside(thumbsFolder, file, keep);
        }
    }
}

QString MenuEscaped(const QString& text) {
    QString out = text;
    out.replace(u'&', QStringLiteral("&&"));
    return out;
}

std::vector<TpaMenuEntry> BuildMoveToMenu(const TpaTreeNode* node, const TpaAlbum& album) {
    std::vector<TpaMenuEntry> entries;
    if (!node || !node->IsPhoto() || !node->Tree())
        return entries;
    for (const TpaTreeNode* n = node->Tree()->First(); n; n = n->NextInPreOrder()) {
        if (!n->Item() || n->IsPhoto() || n == node->Parent() || node->IsAncestorOf(n))
            continue;
        if (!album.CanTakePhoto(n)) // a move adds no item: the album's limit is no matter
            continue;
        entries.push_back(TpaMenuEntry{MenuEscaped(n->Text()),
                                       n->IsAlbum() ? MenuImageAlbum : MenuImageGallery, n->Uid()});
    }
    return entries;
}

} // namespace model
