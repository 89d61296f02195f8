#include "model/document/AlbumUnpackLimits.h"

#include "model/AlbumLimits.h"

#include <QStorageInfo>

#include <algorithm>

namespace model {

namespace {
// Left free after unpacking: the thumbnails and the file system need it. On a small disk only
// a share of its free space is kept back, so that an album that fits there still opens.
constexpr qint64 kKeptFree = 64LL * 1024 * 1024;
constexpr qint64 kKeptShare = 16;
} // namespace

qint64 RoomToUnpack(const QString& folder) {
    const QStorageInfo storage(folder);
    const qint64 available = storage.isValid() ? storage.bytesAvailable() : -1;
    // Free space that cannot be found out caps nothing: the writes report a full disk.
    if (available < 0)
        return zip::TZAUnpackLimits::kNone;
    return available - std::min(kKeptFree, available / kKeptShare);
}

zip::TZAUnpackLimits AlbumUnpackLimits(const QString& dataFolder) {
    zip::TZAUnpackLimits limits;
    limits.Total = RoomToUnpack(dataFolder);
    limits.PerMember = [](const std::string& storedName) -> int64_t {
        if (storedName == "data.xml")
            return kMaxDataXmlBytes;
        if (storedName == "album.xml")
            return kMaxAlbumXmlBytes;
        return zip::TZAUnpackLimits::kNone;
    };
    return limits;
}

} // namespace model
