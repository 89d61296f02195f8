#include "model/document/AlbumUnpackLimits.h"

#include "model/AlbumLimits.h"

#include <QStorageInfo>

namespace model {

namespace {
// Left free after unpacking: the thumbnails and the file system need it.
constexpr qint64 kKeptFree = 64LL * 1024 * 1024;
} // namespace

zip::TZAUnpackLimits AlbumUnpackLimits(const QString& dataFolder) {
    zip::TZAUnpackLimits limits;
    const QStorageInfo storage(dataFolder);
    const qint64 available = storage.isValid() ? storage.bytesAvailable() : -1;
    // Free space that cannot be found out caps nothing: the writes report a full disk.
    if (available >= 0)
        limits.Total = std::max<qint64>(available - kKeptFree, 0);
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
