#include "model/items/PhotoFileBatch.h"

#include "model/Errors.h"
#include "model/image/ImageImport.h"
#include "model/image/ReservedFileNames.h"
#include "model/items/PhotoFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>

namespace model {

namespace {

enum class FileKind { Main, Reduced, EditorThumb };

// Reservations by folder, so that two kinds of file sharing a folder still get distinct names.
class FolderNames {
public:
    QString reserve(const QString& folder, const QString& proposed) {
        auto it = folders_.find(folder);
        if (it == folders_.end())
            it = folders_.insert(folder, ReservedFileNames(folder));
        return it->reserve(CleanProposedFileName(proposed));
    }

private:
    QHash<QString, ReservedFileNames> folders_;
};

} // namespace

struct PhotoFileBatch::Photo {
    struct File {
        FileKind kind;
        std::size_t field; // index into the image fields
        QString folder;
        QString name;
    };
    QString source;
    TpaAlbumSettingsPhoto photo;
    std::vector<File> files;
    QStringList made;
    QString showName;
    std::exception_ptr error;
    bool taken = false;
};

PhotoFileBatch::PhotoFileBatch(const TpaAlbumSettingsPhoto& photo, const QStringList& files,
                               const FolderLayout& folders)
    : previewFolder_(folders.PreviewFolder) {
    FolderNames names;
    const auto& fields = photo.ImageFields.Items;
    for (const QString& source : files) {
        auto p = std::make_unique<Photo>();
        p->source = source;
        p->photo.Assign(photo);
        // The order of the routines one photo after another: main copies, reduced copies,
        // then the editor thumbnail.
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (fields[f]->Thumb == -1)
                p->files.push_back(
                    {FileKind::Main, f, folders.PreviewImagesFolder,
                     names.reserve(folders.PreviewImagesFolder, ImportedFileName(source))});
        }
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (IsReducedImageField(photo.ImageFields, *fields[f]))
                p->files.push_back(
                    {FileKind::Reduced, f, folders.PreviewThumbsFolder,
                     names.reserve(folders.PreviewThumbsFolder, ThumbnailFileName(source))});
        }
        for (std::size_t f = 0; f < fields.size(); ++f) {
            if (fields[f]->Id == photo.Show) {
                p->files.push_back(
                    {FileKind::EditorThumb, f, folders.ThumbsFolder,
                     names.reserve(folders.ThumbsFolder, ResizedJpegFileName(source))});
                break;
            }
        }
        photos_.push_back(std::move(p));
    }
}

PhotoFileBatch::~PhotoFileBatch() {
    for (const auto& p : photos_) {
        if (!p->taken)
            for (const QString& file : p->made)
                QFile::remove(file);
    }
}

void PhotoFileBatch::make(std::size_t i) {
    Photo& p = *photos_.at(i);
    try {
        if (!QFileInfo(p.source).isFile())
            throw FileError(QStringLiteral("Cannot open file \"%1\"").arg(p.source));
        auto& fields = p.photo.ImageFields.Items;
        for (const Photo::File& file : p.files) {
            TpaImageInfo& image = fields[file.field]->Image;
            const int w = fields[file.field]->W;
            const int h = fields[file.field]->H;
            switch (file.kind) {
            case FileKind::Main:
                p.made << RequiredOutput(
                    ImportImageFile(p.source, w, h, file.folder, file.name, &budget_), p.source);
                break;
            case FileKind::Reduced:
                p.made << RequiredOutput(
                    CreateThumbnailFile(p.source, w, h, file.folder, file.name, &budget_),
                    p.source);
                break;
            case FileKind::EditorThumb:
                p.made << RequiredOutput(CreateResizedJpegFile(p.source, EditorThumbBox,
                                                               EditorThumbBox, file.folder,
                                                               file.name, &budget_),
                                         p.source);
                image.Thumbnail = p.made.back();
                p.showName = image.Name;
                continue;
            }
            image.LoadFromFile(p.made.back());
            image.MakeRelative(previewFolder_);
        }
    } catch (...) {
        for (const QString& file : p.made)
            QFile::remove(file);
        p.made.clear();
        p.error = std::current_exception();
    }
}

QString PhotoFileBatch::take(std::size_t i, TpaAlbumSettingsPhoto& photo) {
    Photo& p = *photos_.at(i);
    if (p.error)
        std::rethrow_exception(p.error);
    p.taken = true;
    photo.Assign(p.photo);
    return p.showName;
}

} // namespace model
