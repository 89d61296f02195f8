#pragma once

#include <QString>

#include "zip/archiver/UnpackLimits.h"

namespace model {

// What opening an album file may unpack into the per-user data folder: "data.xml" and
// "album.xml" no larger than any real album's (AlbumLimits.h), and the whole album no larger
// than the folder's free space, less room kept for the thumbnails made after it (64 MiB, or a
// sixteenth of the free space on a disk with less than a gigabyte free).
zip::TZAUnpackLimits AlbumUnpackLimits(const QString& dataFolder);

// The bytes that may be unpacked into folder: its disk's free space less the room kept
// (TZAUnpackLimits::kNone when the free space cannot be found out).
qint64 RoomToUnpack(const QString& folder);

} // namespace model
