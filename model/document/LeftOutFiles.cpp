#include "model/document/LeftOutFiles.h"

#include "model/SafePath.h"
#include "model/image/ImageImport.h"
#include "model/items/Item.h"
#include "model/items/PhotoFiles.h"
#include "model/settings/AlbumSettingsImageFieldList.h"
#include "model/tree/AlbumTree.h"
#include "model/tree/TreeNode.h"
#include "model/tree/TreeUtils.h"

#include <QFileInfo>

#include <vector>

namespace model {

TpaLeftOutFiles::TpaLeftOutFiles(const QSet<QString>& leftOut, const FolderLayout& folders)
    : leftOut_(leftOut), folders_(folders) {}

bool TpaLeftOutFiles::isLeftOut(const QString& fileName) const {
    if (fileName.isEmpty())
        return false;
    QString name = fileName;
    name.replace(u'\\', u'/');
    return leftOut_.contains(name);
}

bool TpaLeftOutFiles::remakeCopy(TpaAlbumSettingsImageField& copy, const QString& source) {
    const QString name = LastPathComponent(copy.Image.FileName);
    const QString folder = QFileInfo(folders_.PreviewFolder + copy.Image.FileName).absolutePath();
    if (!IsSafeRelativePath(copy.Image.FileName) ||
        !IsInsideFolder(folders_.PreviewFolder, folder + u'/' + name))
        return false;
    try {
        const QString made =
            CreateThumbnailFile(folders_.PreviewFolder + source, copy.W, copy.H, folder, name);
        if (made.isEmpty())
            return false;
        copy.Image.LoadFromFile(made);
        copy.Image.MakeRelative(folders_.PreviewFolder);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

void TpaLeftOutFiles::clearIfLeftOut(TpaAlbumSettingsMusicField& music) {
    if (music.FileName.isEmpty() ||
        !isLeftOut(TpaAlbumSettingsMusicField::FolderName() + music.FileName))
        return;
    music.FileName.clear();
}

bool TpaLeftOutFiles::repairFields(TpaAlbumSettingsImageFieldList& fields, bool clearMissing) {
    bool whole = true;
    QSet<const TpaAlbumSettingsImageField*> cleared;
    for (const auto& field : fields.Items) {
        if (IsReducedImageField(fields, *field) || !isLeftOut(field->Image.FileName))
            continue;
        whole = false;
        if (clearMissing) {
            field->Image = TpaImageInfo();
            cleared.insert(field.get());
        }
    }
    for (const auto& copy : fields.Items) {
        if (!IsReducedImageField(fields, *copy))
            continue;
        const TpaAlbumSettingsImageField* source = fields.FindById(copy->Thumb);
        // A reduced copy of a picture that is gone goes with it, though it came through whole.
        if (cleared.contains(source)) {
            copy->Image = TpaImageInfo();
            continue;
        }
        if (!isLeftOut(copy->Image.FileName))
            continue;
        const QString from = source->Image.FileName;
        if (!from.isEmpty() && !isLeftOut(from) && remakeCopy(*copy, from))
            continue;
        if (clearMissing)
            copy->Image = TpaImageInfo();
        else
            whole = false;
    }
    return whole;
}

void TpaLeftOutFiles::Repair(TpaAlbumTree& tree) {
    std::vector<TpaTreeNode*> gone;
    for (TpaTreeNode* n = tree.Root(); n; n = n->NextInPreOrder()) {
        TpaItem* item = n->Item();
        if (!item)
            continue;
        if (item->Kind == ikPhoto) {
            TpaAlbumSettingsPhoto& photo = item->Level.Photo;
            if (!repairFields(photo.ImageFields, false)) {
                gone.push_back(n);
                continue;
            }
            clearIfLeftOut(photo.Music);
        } else {
            repairFields(item->Level.ImageFields, true);
        }
        clearIfLeftOut(item->Level.Music);
    }
    // Children before parents cannot occur: only photos go, and they hold no nodes.
    for (TpaTreeNode* node : gone) {
        DeleteItemFiles(node, folders_.PreviewFolder, folders_.ThumbsFolder);
        tree.Remove(node);
    }
}

} // namespace model
