#pragma once

#include <QString>

#include "zip/archiver/UnpackLimits.h"

namespace model {

// What opening an album file may unpack into the per-user data folder: "data.xml" and
// "album.xml" no larger than any real album's (AlbumLimits.h), and the whole album no larger
// than the folder's free space, less room kept for the thumbnails made after it.
zip::TZAUnpackLimits AlbumUnpackLimits(const QString& dataFolder);

} // namespace model
