#pragma once

#include <QStringList>

class QListWidget;

namespace model {
class TpaTreeNode;
}

namespace app {

// The gallery page's icon view of a gallery's children: first every entry with its caption
// and an empty cell, then the thumbnails, drawn while the queue keeps being pumped.
class GalleryList {
public:
    explicit GalleryList(QListWidget* list);

    // The entries for the gallery's children, with the thumbnail file of each in `paths`.
    void FillGalleryItems(model::TpaTreeNode* gallery, QStringList& paths);
    void LoadGalleryThumbnails(const QStringList& paths);
    // The uid of the node of the current entry; 0 when there is none.
    quint64 currentNodeUid() const;

private:
    QListWidget* list_;
};

} // namespace app
