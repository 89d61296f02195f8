#include "model/items/PhotoFiles.h"

#include "model/Errors.h"
#include "model/SafePath.h"
#include "model/image/ImageImport.h"
#include "model/items/Item.h"
#include "model/items/PhotoFileBatch.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace model {

bool IsReducedImageField(const TpaAlbumSettingsImageFieldList& fields,
                         const TpaAlbumSettingsImageField& f) {
    return f.Thumb != -1 && fields.FindById(f.Thumb) != nullptr;
}

QString RequiredOutput(const QString& path, const QString& source) {
    if (path.isEmpty())
        throw FileError(QStringLiteral("Cannot read file \"%1\"").arg(source));
    return path;
}

namespace {

void loadFacts(TpaImageInfo& image, const QString& path, const QString& previewFolder) {
    image.LoadFromFile(path);
    image.MakeRelative(previewFolder);
}

QString canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// The files of a field's image, each only when it lies where the album keeps such files.
QStringList ownFiles(const TpaImageInfo& image, const FolderLayout& folders) {
    QStringList files;
    if (!image.FileName.isEmpty() && IsSafeRelativePath(image.FileName) &&
        IsInsideFolder(folders.PreviewFolder, folders.PreviewFolder + image.FileName))
        files << folders.PreviewFolder + image.FileName;
    if (!image.Thumbnail.isEmpty() && IsInsideFolder(folders.ThumbsFolder, image.Thumbnail))
        files << image.Thumbnail;
    return files;
}

void deleteDropped(const TpaAlbumSettingsImageFieldList& before,
                   const TpaAlbumSettingsImageFieldList& after, const FolderLayout& folders) {
    for (const auto& field : before.Items) {
        if (after.FindById(field->Id))
            continue;
        for (const QString& file : ownFiles(field->Image, folders)) {
            if (QFileInfo(file).isFile())
                QFile::remove(file);
        }
    }
}

} // namespace

QString FillPhotoFromFile(TpaAlbumSettingsPhoto& photo, const QString& file,
                          const FolderLayout& folders) {
    PhotoFileBatch one(photo, {file}, folders);
    one.make(0);
    return one.take(0, photo);
}

void CheckReplacementImage(const TpaAlbumSettingsPhoto& photo, const QString& file,
                           const FolderLayout& folders) {
    if (!QFileInfo(file).isFile())
        throw FileError(QStringLiteral("Cannot open file \"%1\"").arg(file));
    const QString source = canonical(file);
    for (const auto& field : photo.ImageFields.Items) {
        for (const QString& own : ownFiles(field->Image, folders)) {
            if (canonical(own) == source)
                throw FileError(
                    QStringLiteral("\"%1\" is a file of this photo and cannot replace it")
                        .arg(file));
        }
    }
    // Decoded, not only its headers read: a picture damaged past its headers is refused too.
    const Picture picture = LoadPictureFile(file);
    const QSize small = FitSize(picture.width(), picture.height(), EditorThumbBox, EditorThumbBox);
    StretchPicture(picture, small.width(), small.height());
}

void ReplacePhotoImages(TpaAlbumSettingsPhoto& photo, const QString& file,
                        const FolderLayout& folders) {
    // A damaged source is refused before any file is touched.
    CheckReplacementImage(photo, file, folders);
    auto& fields = photo.ImageFields;
    // A name read from "data.xml" is used only as a bare file name.
    auto nameOf = [](const TpaImageInfo& image) {
        const QString name = LastPathComponent(image.FileName);
        return IsSafeRelativePath(name) ? name : QString();
    };
    for (const auto& field : fields.Items) {
        if (field->Thumb != -1)
            continue;
        loadFacts(field->Image,
                  RequiredOutput(ImportImageFile(file, field->W, field->H,
                                                 folders.PreviewImagesFolder, nameOf(field->Image)),
                                 file),
                  folders.PreviewFolder);
    }
    for (const auto& field : fields.Items) {
        if (!IsReducedImageField(fields, *field))
            continue;
        loadFacts(
            field->Image,
            RequiredOutput(CreateThumbnailFile(file, field->W, field->H,
                                               folders.PreviewThumbsFolder, nameOf(field->Image)),
                           file),
            folders.PreviewFolder);
    }
    if (TpaAlbumSettingsImageField* shown = fields.FindById(photo.Show)) {
        const QString thumb = shown->Image.Thumbnail;
        const QString name = !thumb.isEmpty() && IsInsideFolder(folders.ThumbsFolder, thumb)
                                 ? QFileInfo(thumb).fileName()
                                 : QString();
        shown->Image.Thumbnail = RequiredOutput(
            CreateResizedJpegFile(file, EditorThumbBox, EditorThumbBox, folders.ThumbsFolder, name),
            file);
    }
}

void ChangePhotoLevel(TpaItem& photo, const TpaAlbumSettingsLevel& level,
                      const FolderLayout& folders) {
    TpaAlbumSettingsLevel old;
    old.Assign(photo.Level);
    TpaAlbumSettingsLevel changed;
    changed.Assign(level);
    changed.TextFields.AssignValues(old.TextFields);
    changed.ImageFields.AssignValues(old.ImageFields);
    changed.Photo.AssignValues(old.Photo);
    deleteDropped(old.ImageFields, changed.ImageFields, folders);
    deleteDropped(old.Photo.ImageFields, changed.Photo.ImageFields, folders);
    photo.Level.Assign(changed);
    ++photo.FieldsRevision;
}

} // namespace model
