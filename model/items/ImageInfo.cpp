#include "model/items/ImageInfo.h"

#include "model/Errors.h"
#include "model/FileRoutines.h"
#include "model/RequiredIntAttribute.h"
#include "model/SafePath.h"
#include "model/TextRoutines.h"
#include "model/XmlAttributes.h"
#include "model/XmlText.h"
#include "model/image/ImageImport.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace model {

namespace {

QString ExtensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

} // namespace

void TpaImageInfo::LoadFromFile(const QString& path) {
    // Decoding first: a refused file changes nothing.
    const QSize size = GetPictureSize(LoadPictureFile(path));
    FileName = path;
    Name = LastPathComponent(path);
    Size = GetFileSizeOf(path);
    Width = size.width();
    Height = size.height();
    ImageType = GetImageTypeByExt(ExtensionOf(Name));
}

void TpaImageInfo::MakeRelative(const QString& previewFolder) {
    if (FileName.isEmpty())
        return;
    const QString rel = QDir(previewFolder).relativeFilePath(FileName);
    if (IsSafeRelativePath(rel))
        FileName = rel;
}

void TpaImageInfo::LoadFromXml(const QDomElement& element, const QString& previewFolder) {
    if (element.isNull())
        return;
    const int w = RequiredIntAttribute(element, QStringLiteral("w"));
    const int h = RequiredIntAttribute(element, QStringLiteral("h"));
    QString text;
    TryGetNodeText(element, text);
    text = BackslashToSlash(text);
    const QString thumbnail = Thumbnail;
    *this = TpaImageInfo();
    Thumbnail = thumbnail;
    // A relative path without "." or ".." parts cannot leave the folder; the
    // delete routines check again on disk before they remove anything.
    if (text.isEmpty() || !IsSafeRelativePath(text)) {
        // No path, or one that would reach outside the working folder: no image.
        if (text.isEmpty()) {
            Width = w;
            Height = h;
        }
        return;
    }
    FileName = text;
    Name = LastPathComponent(text);
    Size = GetFileSizeOf(previewFolder + text);
    Width = w;
    Height = h;
    ImageType = GetImageTypeByExt(ExtensionOf(Name));
}

void TpaImageInfo::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeAttribute(QStringLiteral("w"), QString::number(Width));
    writer.writeAttribute(QStringLiteral("h"), QString::number(Height));
    if (!FileName.isEmpty()) {
        writer.writeCharacters(XmlWritableText(BackslashToSlash(FileName)));
    }
}

int TpaImageInfo::DisplaySize() const {
    return static_cast<int>(std::min<qint64>(Size, std::numeric_limits<int>::max()));
}

} // namespace model
