#include "app/frames/AssetFiles.h"

#include "model/FolderLayout.h"
#include "model/SafePath.h"

#include <QFile>
#include <QFileInfo>

namespace app {

namespace {

bool removeInside(const QString& folder, const QString& path) {
    if (!model::IsInsideFolder(folder, path))
        return false;
    const QFileInfo info(path);
    if (!info.isSymLink() && !info.isFile())
        return false;
    return QFile::remove(path);
}

} // namespace

bool AssetFiles::removeAsset(const QString& relative) {
    if (relative.isEmpty() || !model::IsSafeRelativePath(relative))
        return false;
    const model::FolderLayout& f = model::Folders();
    QString path = relative;
    path.replace(u'\\', u'/');
    path.prepend(f.PreviewFolder);
    for (const QString& folder :
         {f.PreviewImagesFolder, f.PreviewThumbsFolder, f.PreviewMusicFolder}) {
        if (model::IsInsideFolder(folder, path))
            return removeInside(folder, path);
    }
    return false;
}

bool AssetFiles::removeThumbnail(const QString& path) {
    return !path.isEmpty() && removeInside(model::Folders().ThumbsFolder, path);
}

bool AssetFiles::sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

} // namespace app
