#pragma once

#include <QString>

namespace model {

class TpaAlbumSettings;
class TpaAlbumTree;

// Builds an album tree from "data.xml". The tree must be empty and is filled
// only as far as the reading got when it throws; callers read into a fresh tree
// and keep it only on success.
class TpaDataXmlReader {
public:
    // Deeper nesting of galleries is refused as a damaged file.
    static constexpr int MaxGalleryDepth = 256;

    // previewFolder is the folder the file's relative paths start from. Throws
    // XmlLoadError or ConversionError.
    static void Read(const QString& path, const QString& previewFolder,
                     const TpaAlbumSettings& settings, TpaAlbumTree& tree);
};

} // namespace model
