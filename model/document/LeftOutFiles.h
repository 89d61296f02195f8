#pragma once

#include "model/FolderLayout.h"

#include <QSet>
#include <QString>

namespace model {

class TpaAlbumTree;
class TpaAlbumSettingsImageField;
class TpaAlbumSettingsImageFieldList;
class TpaAlbumSettingsMusicField;

// Makes an album whole again after files of its album file were left out as damaged, so that
// nothing it saves or publishes refers to a file that is not there: a reduced copy is made
// again from its intact picture; a photo whose own picture is gone leaves the album with its
// other files; an album or gallery image that is gone, with its reduced copies, and music that
// is gone are cleared.
class TpaLeftOutFiles {
public:
    // leftOut: the stored names of the members left out ("pictavo_images/a.jpg").
    TpaLeftOutFiles(const QSet<QString>& leftOut, const FolderLayout& folders);

    // Applies the above to every item of the tree.
    void Repair(TpaAlbumTree& tree);

private:
    bool isLeftOut(const QString& fileName) const;
    bool remakeCopy(TpaAlbumSettingsImageField& copy, const QString& source);
    // Whether every main picture of the list is in place (reduced copies made again).
    bool repairFields(TpaAlbumSettingsImageFieldList& fields, bool clearMissing);
    void clearIfLeftOut(TpaAlbumSettingsMusicField& music);

    QSet<QString> leftOut_;
    FolderLayout folders_;
};

} // namespace model
