#pragma once

#include "model/FolderLayout.h"
#include "model/settings/AlbumSettingsLevel.h"

#include <QString>

namespace model {

class TpaItem;

// The box of the editor's own thumbnails of photos (photo page and gallery list).
inline constexpr int EditorThumbBox = 150;

// Whether the image field is a reduced copy of another field of the list.
bool IsReducedImageField(const TpaAlbumSettingsImageFieldList& fields,
                         const TpaAlbumSettingsImageField& f);

// The path a routine wrote for a readable source; FileError naming the source when it wrote
// nothing, since a photo without its picture must not come into being.
QString RequiredOutput(const QString& path, const QString& source);

// Fills the image fields of a photo from one picture file: each main image field gets a copy
// fitted into its box in PreviewImagesFolder (GIF and bitmap files become JPEG), each reduced
// field a "tn_" copy made from the file itself in PreviewThumbsFolder, and the show field an
// editor thumbnail of 150 by 150 in ThumbsFolder. Names are made unique. Returns the show
// field's file name ("" without a show field). All or nothing: on an error every file made
// for it is removed, `photo` is left as it was and the error (PictureError, FileError) is
// thrown.
QString FillPhotoFromFile(TpaAlbumSettingsPhoto& photo, const QString& file,
                          const FolderLayout& folders);

// Writes new contents from `file` into the photo's files under their present names (a field
// without a file gets a new unique name) and reloads their facts. A source that is one of
// those files is refused before anything is written (FileError).
void ReplacePhotoImages(TpaAlbumSettingsPhoto& photo, const QString& file,
                        const FolderLayout& folders);

// Whether `file` can replace the photo's pictures, without writing anything: a picture of a
// known kind that can be read and decoded, and none of the photo's own files. Throws
// PictureError or FileError naming what is wrong.
void CheckReplacementImage(const TpaAlbumSettingsPhoto& photo, const QString& file,
                           const FolderLayout& folders);

// Gives a photo the level of another depth: values of fields whose ids both levels have are
// kept; the image files and editor thumbnails of image fields only the old level has are
// deleted, but only inside the working folder and the thumbnails folder.
void ChangePhotoLevel(TpaItem& photo, const TpaAlbumSettingsLevel& level,
                      const FolderLayout& folders);

} // namespace model
