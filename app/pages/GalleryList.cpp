#include "app/pages/GalleryList.h"

#include "app/dialogs/ProgressScope.h"
#include "app/pages/GalleryThumbnail.h"
#include "app/pages/PhotoPreview.h"

#include "model/FolderLayout.h"
#include "model/image/ImageImport.h"
#include "model/image/Picture.h"
#include "model/items/Item.h"
#include "model/tree/TreeNode.h"

#include <QFileInfo>
#include <QListWidget>

namespace app {

using model::TpaTreeNode;

GalleryList::GalleryList(QListWidget* list) : list_(list) {
    list_->setIconSize(QSize(GalleryThumbnail::CellSize, GalleryThumbnail::CellSize));
}

quint64 GalleryList::currentNodeUid() const {
    const QListWidgetItem* entry = list_->currentItem();
    return entry ? entry->data(Qt::UserRole).toULongLong() : 0;
}

void GalleryList::FillGalleryItems(TpaTreeNode* gallery, QStringList& paths) {
    QListWidget* list = list_;
    list->clear();
    paths.clear();
    const QColor background = list->palette().color(QPalette::Base);
    const QColor outline = list->palette().color(QPalette::Disabled, QPalette::Text);
    const QIcon placeholder(QPixmap::fromImage(GalleryThumbnail::placeholder(background, outline)));
    for (int i = 0; i < gallery->ChildCount(); ++i) {
        TpaTreeNode* child = gallery->Child(i);
        const model::TpaItem* item = child->Item();
        if (!item)
            continue;
        QString path;
        if (child->IsGallery()) {
            path = model::Folders().FilesFolder + QStringLiteral("gallery_thumb.bmp");
        } else if (const auto* shown =
                       item->Level.Photo.ImageFields.FindById(item->Level.Photo.Show)) {
            path = shown->Image.Thumbnail;
        }
        auto* entry = new QListWidgetItem(placeholder, child->Text(), list);
        entry->setData(Qt::UserRole, child->Uid());
        entry->setData(Qt::UserRole + 1, child->IsPhoto());
        paths.append(path);
    }
}

void GalleryList::LoadGalleryThumbnails(const QStringList& paths) {
    QListWidget* list = list_;
    const QColor background = list->palette().color(QPalette::Base);
    const QColor outline = list->palette().color(QPalette::Disabled, QPalette::Text);
    for (int i = 0; i < list->count() && i < paths.size(); ++i) {
        if (i % 5 == 0)
            pumpMessages();
        if (i >= list->count())
            break; // the pump may have refilled the list
        QListWidgetItem* entry = list->item(i);
        bool framed = entry->data(Qt::UserRole + 1).toBool();
        QString path = paths[i];
        if (path.isEmpty() || !QFileInfo(path).isFile()) {
            path = placeholderPicture();
            framed = false;
        }
        try {
            const model::Picture picture = model::LoadPictureFile(path);
            const QSize fitted =
                GalleryThumbnail::fit(picture.size(), QSize(GalleryThumbnail::CellSize - 14,
                                                            GalleryThumbnail::CellSize - 14));
            const QImage scaled = model::StretchPicture(picture, fitted.width(), fitted.height());
            entry->setIcon(QIcon(
                QPixmap::fromImage(GalleryThumbnail::cell(scaled, framed, background, outline))));
        } catch (const std::exception&) {
            // This icon keeps its placeholder; the others are still drawn.
        }
    }
}

} // namespace app
