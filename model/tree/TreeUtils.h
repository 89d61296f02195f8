#pragma once

#include <QList>
#include <QString>

#include <vector>

namespace model {

class TpaAlbum;
class TpaTreeNode;

// Expanded flags (0 or 1) of node and every node below it that has children,
// in pre-order; nodes without children have no entry.
void SaveTreeExpandState(const TpaTreeNode* node, QList<int>& list);
// Sets the flags back from the front of list, consuming them. When the list runs
// short, the remaining nodes stay as they are.
void RestoreTreeExpandState(TpaTreeNode* node, QList<int>& list);

TpaTreeNode* GetPrevSiblingNode(const TpaTreeNode* node);
TpaTreeNode* GetNextSiblingNode(const TpaTreeNode* node);
// The sibling a node changes places with when it moves up (down): only one of its own kind.
// "data.xml" lists a gallery's sub-galleries before its photos, so a photo above a gallery would
// not be where the user put it after a save and reopen.
TpaTreeNode* GetPrevMoveSibling(const TpaTreeNode* node);
TpaTreeNode* GetNextMoveSibling(const TpaTreeNode* node);
// Where a new gallery goes among parent's children, for the same reason: after its galleries,
// before its photos.
int GalleryInsertPosition(const TpaTreeNode* parent);
// The nearest earlier (later) sibling that is a photo; only for photo nodes.
TpaTreeNode* GetPrevPhotoNode(const TpaTreeNode* node);
TpaTreeNode* GetNextPhotoNode(const TpaTreeNode* node);

int CountGalleryChildren(const TpaTreeNode* node);
int CountPhotoChildren(const TpaTreeNode* node);

// Deletes the image, thumbnail and music files of node and, for a gallery, of
// everything below it. Only files inside previewFolder, or thumbnails inside
// thumbsFolder, are ever deleted; missing files are skipped.
void DeleteItemFiles(const TpaTreeNode* node, const QString& previewFolder,
                     const QString& thumbsFolder);

// One entry of a menu the model fills; the application makes the menu items.
// NodeUid is resolved with TpaAlbumTree::FindByUid when the entry is chosen, so
// an entry whose node has gone does nothing.
struct TpaMenuEntry {
    QString Caption; // "&" already doubled for menus
    int ImageIndex = -1;
    quint64 NodeUid = 0;
};

constexpr int MenuImageAlbum = 22;
constexpr int MenuImageGallery = 23;

// Where the photo node may be moved: every album root or gallery, in tree order,
// that is not its parent, not below it, and can take one more photo. Empty for
// anything but a photo.
std::vector<TpaMenuEntry> BuildMoveToMenu(const TpaTreeNode* node, const TpaAlbum& album);

// A caption as a menu shows it literally: every "&" doubled.
QString MenuEscaped(const QString& text);

} // namespace model
