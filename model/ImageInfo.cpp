#include "model/ImageInfo.h"

#include "model/Errors.h"
#include "model/ItemXml.h"
#include "model/PendingUtils.h"
#include "model/SafePath.h"
#include "model/XmlText.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>

#include <limits>

namespace model {

namespace {

QString ExtensionOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

qint64 FileSizeOf(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

} // namespace

void TpaImageInfo::LoadFromFile(const QString& path) {
    const QString ext = ExtensionOf(LastPathComponent(path));
    const QString type = pending::GetImageTypeByExt(ext);
    if (type == u"UNKNOWN")
        throw PictureError(QString("Unknown picture file extension (%1)").arg(ext));
    QImageReader reader(path);
    const QSize size = reader.size();
    if (!size.isValid())
        throw PictureError(QString("Cannot read the picture \"%1\": %2")
                               .arg(QDir::toNativeSeparators(path), reader.errorString()));
    FileName = path;
    Name = LastPathComponent(path);
    Size = FileSizeOf(path);
    Width = size.width();
    Height = size.height();
    ImageType = type;
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
    TryGetElementText(element, text);
    text.replace(u'\\', u'/');
    const QString thumbnail = Thumbnail;
    *this = TpaImageInfo();
    Thumbnail = thumbnail;
    if (text.isEmpty() || !IsSafeRelativePath(text) ||
        !IsInsideFolder(previewFolder, previewFolder + text)) {
        // No path, or one that would reach outside the working folder: no image.
        if (text.isEmpty()) {
            Width = w;
            Height = h;
        }
        return;
    }
    FileName = text;
    Name = LastPathComponent(text);
    Size = FileSizeOf(previewFolder + text);
    Width = w;
    Height = h;
    ImageType = pending::GetImageTypeByExt(ExtensionOf(Name));
}

void TpaImageInfo::SaveToXml(QXmlStreamWriter& writer) const {
    writer.writeAttribute(QStringLiteral("w"), QString::number(Width));
    writer.writeAttribute(QStringLiteral("h"), QString::number(Height));
    if (!FileName.isEmpty()) {
        QString path = FileName;
        path.replace(u'\\', u'/');
        writer.writeCharacters(XmlSafeText(path));
    }
}

int TpaImageInfo::DisplaySize() const {
    return static_cast<int>(std::min<qint64>(Size, std::numeric_limits<int>::max()));
}

} // namespace model
