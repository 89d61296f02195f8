#pragma once

#include <QString>

namespace app {

// The files a settings field names come from "data.xml", which may come from anyone; these
// routines never reach outside the album's asset folders.
class AssetFiles {
public:
    // Removes folder + name when the file lies inside one of the asset folders (images,
    // reduced copies, music) of the working copy. A link is removed, never followed. False
    // when nothing was removed.
    static bool removeAsset(const QString& relativeToWorkingCopy);
    // Removes an editor thumbnail, only when it lies inside the thumbnails folder.
    static bool removeThumbnail(const QString& path);
    // Whether both paths name the same existing file.
    static bool sameFile(const QString& a, const QString& b);
};

} // namespace app
