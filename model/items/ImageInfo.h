#pragma once

#include <QDomElement>
#include <QString>
#include <QXmlStreamWriter>

namespace model {

// The facts of one image file of an album item. FileName is relative to the
// working folder and uses "/" separators; empty means "no image".
class TpaImageInfo {
public:
    QString FileName;
    QString Name;
    qint64 Size = 0;
    int Width = 0;
    int Height = 0;
    QString ImageType = QStringLiteral("UNKNOWN");
    QString Thumbnail; // full path of the editor thumbnail; never saved

    void Assign(const TpaImageInfo& source) { *this = source; }

    // Decodes the picture to learn its size. Throws PictureError (unknown
    // extension, damaged file) and then leaves every member unchanged. FileName
    // becomes the given path; see MakeRelative.
    void LoadFromFile(const QString& path);

    // Turns a FileName inside previewFolder's picture folders into the relative form the
    // album stores. A file anywhere else leaves no image and gives false.
    bool MakeRelative(const QString& previewFolder);

    // Reads an image value element. "w" and "h" are required (ConversionError).
    // A path outside the picture folders (see IsPictureAssetPath) is taken as no image.
    void LoadFromXml(const QDomElement& element, const QString& previewFolder);

    // Writes "w", "h" and the path as text into the element the writer has open.
    void SaveToXml(QXmlStreamWriter& writer) const;

    bool operator==(const TpaImageInfo&) const = default;
};

} // namespace model
