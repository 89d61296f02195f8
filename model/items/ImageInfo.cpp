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

bool TpaImageInfo::MakeRelative(const QString& previewFolder) {
    if (FileName.isEmpty())
        return true;
    const QString rel = QDir(previewFolder).relativeFilePath(FileName);
    if (IsPictureAssetPath(rel)) {
        FileName = rel;
        return true;
    }
    // Kept as it is, the path would be saved and then dropped at the next load.
    const QString thumbnail = Thumbnail;
    *this = TpaImageInfo();
    Thumbnail = thumbnail;
    return false;
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
    // Only a path into the picture folders is an image: anything else could name a file of
    // the template that deleting the item would then remove. The delete routines check
    // again on disk before they remove anything.
    if (text.isEmpty() || !IsPictureAssetPath(text)) {
        // No path, or one outside the picture folders: no image.
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

} // namespace model
