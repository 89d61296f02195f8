#include "model/image/ImageImport.h"

#include "model/Errors.h"
#include "model/FileRoutines.h"
#include "model/ReplacedFile.h"
#include "model/image/BmpDecoder.h"
#include "model/image/GifDecoder.h"
#include "model/image/ImageResampler.h"
#include "model/image/JpegCodec.h"
#include "model/image/PixelBudget.h"
#include "model/image/ReservedFileNames.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QTransform>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>

namespace model {

namespace {

enum class PictureKind { Jpeg, Gif, Bmp, Unknown };

// No picture file of ours comes near this; larger files are refused before reading.
constexpr qint64 MaxPictureFileBytes = qint64(1) << 30;

PictureKind kindOfExtension(const QString& extension) {
    const QString ext = extension.toLower();
    if (ext == u".jpg" || ext == u".jpe" || ext == u".jpeg")
        return PictureKind::Jpeg;
    if (ext == u".gif")
        return PictureKind::Gif;
    if (ext == u".bmp")
        return PictureKind::Bmp;
    return PictureKind::Unknown;
}

// The extension of a file name: from its last "." on, dot included.
QString extensionOf(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot);
}

QString withoutExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? fileName : fileName.left(dot);
}

// The target folder with its delimiter. An empty folder would put files into the
// current or the root folder, so it is refused.
QString targetFolder(const QString& folder) {
    if (folder.isEmpty())
        throw FileError(QStringLiteral("No target folder was given"));
    return WithTrailingSlash(folder);
}

// A negative box side, as a damaged template may give, sets no limit either.
int boxSide(int side) {
    return std::max(side, 0);
}

bool isZeroBox(int boxWidth, int boxHeight) {
    return boxSide(boxWidth) == 0 && boxSide(boxHeight) == 0;
}

// A destination name must stay inside its folder.
void checkDestName(const QString& destName) {
    if (destName == u"." || destName == u".." || destName.contains(u'/') ||
        destName.contains(QChar(0)))
        throw FileError(QStringLiteral("\"%1\" is not a valid file name").arg(destName));
}

QString targetPath(const QString& folder, const QString& destName) {
    checkDestName(destName);
    return targetFolder(folder) + destName;
}

// Where a routine writes: folder + destName when one is given, else the proposed name,
// cleaned and made unique in folder.
QString targetFor(const QString& folder, const QString& destName, const QString& proposed) {
    if (!destName.isEmpty())
        return targetPath(folder, destName);
    return targetFolder(folder) + MakeUniqueFileName(folder, CleanProposedFileName(proposed));
}

// True when both paths name one existing file, through links or other spellings.
bool isSameFile(const QString& a, const QString& b) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(
        std::filesystem::path(QFile::encodeName(a).toStdString()),
        std::filesystem::path(QFile::encodeName(b).toStdString()), error);
    return !error && same;
}

void refuseSameFile(const QString& source, const QString& dest) {
    if (isSameFile(source, dest))
        throw FileError(QStringLiteral("Cannot replace \"%1\" by a copy of itself").arg(dest));
}

void makeFolderOf(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
}

// Replaces dest only once every byte is written, so a failure keeps the old file.
void writeFileAtomically(const QString& dest, const QByteArray& bytes) {
    ReplaceFileContents(dest, bytes, QStringLiteral("Cannot create file \"%1\". %2"));
}

QByteArray readPictureFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(
            QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()));
    if (file.size() > MaxPictureFileBytes)
        throw PictureError(QStringLiteral("The picture file \"%1\" is too large").arg(path));
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(
            QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()));
    return data;
}

QString jpegCopyName(const QString& source, const QString& prefix) {
    return prefix + withoutExtension(QFileInfo(source).fileName()) + QStringLiteral(".jpg");
}

QString createJpegCopy(const QString& source, int boxWidth, int boxHeight, const QString& folder,
                       const QString& destName, const QString& prefix, PixelBudget* budget) {
    if (!QFileInfo(source).isFile())
        return QString();
    const QString target = targetFor(folder, destName, jpegCopyName(source, prefix));
    ConvertImageToJpeg(source, target, boxWidth, boxHeight, budget);
    return target;
}

// How a camera says its JPEG must be turned to stand upright (the EXIF orientation), as Qt's
// reader reports it from the headers.
QImageIOHandler::Transformations jpegOrientation(const QByteArray& data) {
    QBuffer buffer;
    buffer.setData(data);
    if (!buffer.open(QIODevice::ReadOnly))
        return QImageIOHandler::TransformationNone;
    QImageReader reader(&buffer, "jpeg");
    return reader.canRead() ? reader.transformation() : QImageIOHandler::TransformationNone;
}

// The picture turned as the orientation says: mirrored and flipped first, then turned a quarter
// clockwise, the order in which the eight orientations compose.
QImage upright(const QImage& stored, QImageIOHandler::Transformations orientation) {
    const bool mirror = orientation.testFlag(QImageIOHandler::TransformationMirror);
    const bool flip = orientation.testFlag(QImageIOHandler::TransformationFlip);
    QImage image = stored.transformed(QTransform::fromScale(mirror ? -1 : 1, flip ? -1 : 1));
    if (orientation.testFlag(QImageIOHandler::TransformationRotate90))
        image = image.transformed(QTransform().rotate(90));
    return image;
}

// A picture file's bytes, not decoded yet.
struct PictureFile {
    PictureKind kind = PictureKind::Unknown;
    QByteArray data;
    // A JPEG's turn to upright; its pixels are then decoded whole and turned, and every copy
    // is written anew without the tag.
    QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone;
};

PictureFile readPicture(const QString& path) {
    const QString extension = extensionOf(QFileInfo(path).fileName());
    const PictureKind kind = kindOfExtension(extension);
    if (kind == PictureKind::Unknown)
        throw PictureError(
            QStringLiteral("Unknown picture file extension (.%1)").arg(extension.mid(1)));
    PictureFile file{kind, readPictureFile(path)};
    if (kind == PictureKind::Jpeg)
        file.orientation = jpegOrientation(file.data);
    return file;
}

Picture decodePicture(PictureFile file) {
    switch (file.kind) {
    case PictureKind::Jpeg: {
        const QSize size = JpegCodec::readSize(file.data);
        if (file.orientation != QImageIOHandler::TransformationNone)
            return Picture(upright(JpegCodec::decode(file.data, size), file.orientation));
        return Picture(std::move(file.data), size);
    }
    case PictureKind::Gif:
        return Picture(GifDecoder::decode(file.data));
    case PictureKind::Bmp:
        return Picture(BmpDecoder::decode(file.data));
    case PictureKind::Unknown:
        break;
    }
    return Picture();
}

// Every pixel that converting the file into the box holds at its peak, from its headers alone:
// the decoded raster (a JPEG's only at the scale the box needs, and none when its bytes are
// written as they are), what the decoder holds besides it, and the scaled copy.
qint64 conversionPixels(const PictureFile& file, int boxWidth, int boxHeight) {
    const bool zeroBox = isZeroBox(boxWidth, boxHeight);
    const bool turned = file.orientation != QImageIOHandler::TransformationNone;
    if (file.kind == PictureKind::Jpeg && zeroBox && !turned)
        return 0;
    QSize raster;
    qint64 extra = 0;
    QSize target;
    if (file.kind == PictureKind::Jpeg && turned) {
        // Decoded whole, and held twice while it is turned.
        raster = JpegCodec::readSize(file.data);
        extra = qint64(raster.width()) * raster.height();
        target = FitSize(raster.width(), raster.height(), boxWidth, boxHeight);
    } else if (file.kind == PictureKind::Jpeg) {
        const QSize size = JpegCodec::readSize(file.data);
        target = FitSize(size.width(), size.height(), boxWidth, boxHeight);
        const JpegCodec::DecodeCost cost = JpegCodec::decodeCost(file.data, target);
        raster = cost.raster;
        extra = cost.extraPixels;
    } else {
        raster = file.kind == PictureKind::Gif ? GifDecoder::readSize(file.data)
                                               : BmpDecoder::readSize(file.data);
        if (file.kind == PictureKind::Bmp)
            extra = BmpDecoder::extraPixels(raster);
        target = FitSize(raster.width(), raster.height(), boxWidth, boxHeight);
    }
    return qint64(raster.width()) * raster.height() + extra +
           ImageResampler::workingPixels(raster, target);
}

} // namespace

QString ImportImageFile(const QString& source, int boxWidth, int boxHeight, const QString& folder,
                        const QString& destName, PixelBudget* budget) {
    if (!QFileInfo(source).isFile())
        return QString();
    QDir().mkpath(folder);
    const QString target = targetFor(folder, destName, ImportedFileName(source));
    const PictureKind kind = kindOfExtension(extensionOf(QFileInfo(source).fileName()));
    const bool becomesJpeg = kind == PictureKind::Gif || kind == PictureKind::Bmp;
    // Read once: its orientation decides whether it is copied, and the copy writes these bytes.
    std::optional<QByteArray> jpeg;
    if (kind == PictureKind::Jpeg && isZeroBox(boxWidth, boxHeight))
        jpeg = readPictureFile(source);
    // A photo that must be turned is stored upright: a copy of its bytes would keep its tag.
    const bool turned = jpeg && jpegOrientation(*jpeg) != QImageIOHandler::TransformationNone;
    if (becomesJpeg || turned || !isZeroBox(boxWidth, boxHeight)) {
        ConvertImageToJpeg(source, target, boxWidth, boxHeight, budget);
        return target;
    }
    // Written here rather than copied: a copy that fails says only that it failed, and the
    // import would then blame the source instead of naming, say, a full disk.
    if (isSameFile(source, target))
        return QString(); // a copy onto itself would destroy what it copies
    writeFileAtomically(target, jpeg ? *jpeg : readPictureFile(source));
    return target;
}

QString ImportedFileName(const QString& source) {
    const QString name = QFileInfo(source).fileName();
    const PictureKind kind = kindOfExtension(extensionOf(name));
    if (kind == PictureKind::Gif || kind == PictureKind::Bmp)
        return withoutExtension(name) + QStringLiteral(".jpg");
    return name;
}

QString ThumbnailFileName(const QString& source) {
    return jpegCopyName(source, QStringLiteral("tn_"));
}

QString ResizedJpegFileName(const QString& source) {
    return jpegCopyName(source, QString());
}

QString CreateThumbnailFile(const QString& source, int boxWidth, int boxHeight,
                            const QString& folder, const QString& destName, PixelBudget* budget) {
    return createJpegCopy(source, boxWidth, boxHeight, folder, destName, QStringLiteral("tn_"),
                          budget);
}

QString CreateResizedJpegFile(const QString& source, int boxWidth, int boxHeight,
                              const QString& folder, const QString& destName, PixelBudget* budget) {
    return createJpegCopy(source, boxWidth, boxHeight, folder, destName, QString(), budget);
}

QString CopyFileUnique(const QString& source, const QString& folder, const QString& destName) {
    if (!QFileInfo(source).isFile())
        return QString();
    QDir().mkpath(folder);
    const QString target = targetFor(folder, destName, QFileInfo(source).fileName());
    if (isSameFile(source, target))
        return QString(); // a copy onto itself would destroy what it copies
    bool diskFull = false;
    if (CopyFileContents(source, target, &diskFull))
        return target;
    const QString shown = QDir::toNativeSeparators(target);
    if (diskFull)
        throw DiskFullError(
            QStringLiteral("Cannot create file \"%1\". The disk is full.").arg(shown), shown);
    throw FileError(QStringLiteral("Cannot copy \"%1\" to \"%2\"")
                        .arg(QDir::toNativeSeparators(source), shown));
}

void ConvertImageToJpeg(const QString& source, const QString& dest, int boxWidth, int boxHeight,
                        PixelBudget* budget) {
    refuseSameFile(source, dest);
    PictureFile file = readPicture(source);
    PixelBudget::Lease lease;
    if (budget)
        lease = budget->acquire(conversionPixels(file, boxWidth, boxHeight));
    SavePictureAsJpeg(decodePicture(std::move(file)), dest, boxWidth, boxHeight);
}

void SavePictureAsJpeg(const Picture& picture, const QString& dest, int boxWidth, int boxHeight) {
    if (picture.isEmpty())
        throw PictureError(QStringLiteral("An empty picture cannot be saved"));
    makeFolderOf(dest);
    QByteArray bytes;
    if (isZeroBox(boxWidth, boxHeight)) {
        bytes = picture.hasJpegData()
                    ? picture.jpegData()
                    : JpegCodec::encode(StretchPicture(picture, picture.width(), picture.height()));
    } else {
        const QSize size = FitSize(picture.width(), picture.height(), boxWidth, boxHeight);
        bytes = JpegCodec::encode(StretchPicture(picture, size.width(), size.height()));
    }
    writeFileAtomically(dest, bytes);
}

QSize FitSize(int width, int height, int boxWidth, int boxHeight) {
    return FitSizeEx(width, height, boxWidth, boxHeight, false);
}

QSize FitSizeEx(int width, int height, int boxWidth, int boxHeight, bool allowEnlarge) {
    if (width <= 0 || height <= 0)
        throw PictureError(
            QStringLiteral("A picture of %1 x %2 pixels cannot be fitted").arg(width).arg(height));
    boxWidth = boxSide(boxWidth);
    boxHeight = boxSide(boxHeight);
    if (boxWidth == 0 && boxHeight == 0)
        return QSize(width, height);
    double scale = HUGE_VAL;
    if (boxWidth > 0)
        scale = double(boxWidth) / width;
    if (boxHeight > 0)
        scale = std::min(scale, double(boxHeight) / height);
    if (!allowEnlarge)
        scale = std::min(scale, 1.0);
    // Halves round to even, as the default floating-point rounding mode does.
    const auto side = [scale](int length) {
        const double scaled = std::nearbyint(length * scale);
        return static_cast<int>(std::clamp(scaled, 1.0, double(INT_MAX)));
    };
    return QSize(side(width), side(height));
}

QSize GetPictureSize(const Picture& picture) {
    return picture.isEmpty() ? QSize(0, 0) : picture.size();
}

QString GetImageTypeByExt(const QString& extension) {
    switch (kindOfExtension(extension)) {
    case PictureKind::Jpeg:
        return QStringLiteral("JPEG");
    case PictureKind::Gif:
        return QStringLiteral("GIF");
    case PictureKind::Bmp:
        return QStringLiteral("BMP");
    case PictureKind::Unknown:
        break;
    }
    return QStringLiteral("UNKNOWN");
}

Picture LoadPictureFile(const QString& path) {
    return decodePicture(readPicture(path));
}

QImage StretchPicture(const Picture& picture, int width, int height) {
    if (picture.isEmpty())
        throw PictureError(QStringLiteral("An empty picture cannot be drawn"));
    Picture::checkDimensions(width, height);
    const QImage& raster = picture.raster();
    const bool rasterSuffices =
        !raster.isNull() && ((raster.width() >= width && raster.height() >= height) ||
                             raster.size() == picture.size() || !picture.hasJpegData());
    if (rasterSuffices)
        return ImageResampler::resize(raster, width, height);
    // Decode only as much as the target needs: DCT scaling skips most of the work.
    const QImage decoded = JpegCodec::decode(picture.jpegData(), QSize(width, height));
    return ImageResampler::resize(decoded, width, height);
}

QString MakeUniqueFileName(const QString& folder, const QString& proposed) {
    return ReservedFileNames(folder).reserve(proposed);
}

QString CleanProposedFileName(const QString& name) {
    static const QString forbidden = QStringLiteral("\\:*?\"<>|");
    QString cleaned = name;
    for (QChar& c : cleaned) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
            c = u'_';
    }
    return cleaned;
}

} // namespace model
