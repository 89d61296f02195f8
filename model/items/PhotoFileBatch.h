#pragma once

#include "model/FolderLayout.h"
#include "model/image/PixelBudget.h"
#include "model/settings/AlbumSettingsPhoto.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <exception>
#include <memory>
#include <vector>

namespace model {

// The files of several photos, one per picture file, for one level's photo definition. Every
// file name is reserved in order when the batch is made, so the names are the ones adding the
// photos one after another would give. Each photo's files can then be made on any thread (one
// thread per photo), and the photos are taken in order on the thread that owns the album.
// What was made but never taken is removed with the batch. However many threads make photos,
// the pictures they decode at once share the batch's one pixel budget.
class PhotoFileBatch {
public:
    PhotoFileBatch(const TpaAlbumSettingsPhoto& photo, const QStringList& files,
                   const FolderLayout& folders);
    ~PhotoFileBatch();
    PhotoFileBatch(const PhotoFileBatch&) = delete;
    PhotoFileBatch& operator=(const PhotoFileBatch&) = delete;

    std::size_t size() const { return photos_.size(); }

    // Makes the files of photo i: each main image field a copy fitted into its box (GIF and
    // bitmap files become JPEG), each reduced field a "tn_" copy made from the file itself,
    // the show field an editor thumbnail of 150 by 150. All or nothing: an error removes what
    // was made and is kept for take(). Throws nothing.
    void make(std::size_t i);

    // After make(i): gives photo i's image fields to `photo` and returns the show field's file
    // name ("" without a show field); the files are then the caller's. Throws the error make()
    // met (PictureError, FileError), leaving `photo` as it was.
    QString take(std::size_t i, TpaAlbumSettingsPhoto& photo);

    // Photos being made stop before their next picture; their errors are never taken.
    void cancel() { budget_.cancel(); }

    const PixelBudget& budget() const { return budget_; }

private:
    struct Photo;
    std::vector<std::unique_ptr<Photo>> photos_;
    QString previewFolder_;
    PixelBudget budget_;
};

} // namespace model
