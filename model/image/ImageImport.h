#pragma once

#include "model/image/Picture.h"

#include <QImage>
#include <QSize>
#include <QString>

// Picture files entering the album's working folder, resized copies and thumbnails.
// Folders end with "/". A box side of 0 sets no limit on that side; a box of 0 by 0
// keeps the picture's size. Routines that return a path return an empty string when
// they wrote nothing. Decoding and encoding failures throw model::PictureError,
// files that cannot be read or written model::FileError; a failed routine leaves
// no file behind and never damages the file it would have replaced. Threads that convert
// pictures at the same time pass one shared `budget`: each conversion leases the pixels it
// will hold before it decodes, so together they stay within it.
namespace model {

class PixelBudget;

// Brings a photo or field image into folder (created when missing). An empty destName
// picks a unique name from the source's; GIF and bitmap files become ".jpg" files.
// The file is converted into the box when it is a GIF or bitmap or the box is not 0 by 0,
// else copied byte for byte. A given destName is used as is and replaces its file.
QString ImportImageFile(const QString& source, int boxWidth, int boxHeight, const QString& folder,
                        const QString& destName = QString(), PixelBudget* budget = nullptr);

// A JPEG copy of source fitted into the box, named "tn_" + base name + ".jpg" (unique).
QString CreateThumbnailFile(const QString& source, int boxWidth, int boxHeight,
                            const QString& folder, const QString& destName = QString(),
                            PixelBudget* budget = nullptr);

// A JPEG copy of source fitted into the box, named base name + ".jpg" (unique).
QString CreateResizedJpegFile(const QString& source, int boxWidth, int boxHeight,
                              const QString& folder, const QString& destName = QString(),
                              PixelBudget* budget = nullptr);

// The names the three routines above propose for source before it is cleaned and made unique.
QString ImportedFileName(const QString& source);
QString ThumbnailFileName(const QString& source);
QString ResizedJpegFileName(const QString& source);

// Copies any file into folder under its own name made unique, or under destName. Empty when
// source is no file or the target is source itself; a copy that fails throws FileError
// (DiskFullError for want of room).
QString CopyFileUnique(const QString& source, const QString& folder,
                       const QString& destName = QString());

void ConvertImageToJpeg(const QString& source, const QString& dest, int boxWidth, int boxHeight,
                        PixelBudget* budget = nullptr);

// Writes picture to dest as a JPEG fitted into the box. With a box of 0 by 0 a JPEG
// picture is written with its original bytes.
void SavePictureAsJpeg(const Picture& picture, const QString& dest, int boxWidth, int boxHeight);

// The size of a picture fitted into a box, never enlarged; at least 1 by 1.
// Throws PictureError for a picture without pixels.
QSize FitSize(int width, int height, int boxWidth, int boxHeight);
// The same; with allowEnlarge a small picture grows to fill the box.
QSize FitSizeEx(int width, int height, int boxWidth, int boxHeight, bool allowEnlarge);

// 0 by 0 for an empty picture.
QSize GetPictureSize(const Picture& picture);

// "JPEG", "GIF", "BMP" or "UNKNOWN" for an extension such as ".jpg" (dot included).
QString GetImageTypeByExt(const QString& extension);

// Decodes a picture file by its extension (".jpg", ".jpeg", ".jpe", ".gif", ".bmp");
// any other extension throws "Unknown picture file extension (.<ext>)". A JPEG file
// is only checked up to its headers here; its pixels are decoded when drawn.
Picture LoadPictureFile(const QString& path);

// The picture stretched over a width by height raster (Format_RGB888).
QImage StretchPicture(const Picture& picture, int width, int height);

// proposed, or base + "001", "002", ... + extension, whichever is the first name that
// no entry of folder takes, ignoring letter case.
QString MakeUniqueFileName(const QString& folder, const QString& proposed);

// name with the characters that other systems and the album's paths cannot hold
// (\ : * ? " < > | and control characters) replaced by "_".
QString CleanProposedFileName(const QString& name);

} // namespace model
