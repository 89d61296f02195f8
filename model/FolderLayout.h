#pragma once

#include <QString>

namespace model {

// The folders every part of the program works with. Every folder path ends with "/".
struct FolderLayout {
    QString AppFolder;           // the program folder: the executable's folder
    QString FilesFolder;         // page templates
    QString TemplatesFolder;     // the template library
    QString LanguagesFolder;     // language files
    QString DataFolder;          // per-user working area, emptied when an album closes
    QString ThumbsFolder;        // editor thumbnails
    QString PreviewFolder;       // the working copy of the open album
    QString PreviewImagesFolder; // its imported images
    QString PreviewThumbsFolder; // its reduced copies
    QString PreviewMusicFolder;  // its music
    QString LastPublishFolder;   // target of the last publishing
    QString LastImportFolder;    // folder of the last photo-folder import
    QString AlbumBaseFolder;     // base folder written into the album page

    // The layout for a program in `exeDir` whose user keeps application data in
    // `appDataDir` (either may end with "/" or not). The remembered folders start empty.
    static FolderLayout compute(const QString& exeDir, const QString& appDataDir);
};

// The process-wide folders. Set by the start-up step; tests assign their own layout.
FolderLayout& Folders();

// Computes the folders for this process and creates the per-user data folder:
// "<application data>/Pictavo/", else "<temp>/Pictavo-<uid>/" (a private folder of this
// user). Throws FileError naming the folders tried when neither can be made; the program
// must then stop. Thumbs/ and Preview/ are created by whoever first writes into them.
void InitFolders();

// The same with every outside fact given: for tests and for callers that know better.
void InitFolders(const QString& exeDir, const QString& appDataDir, const QString& tempDir);

// Empties and removes Thumbs/ and Preview/ (a link there is removed, never followed).
// Only the instance holding the single-instance lock owns them: the instance that calls this
// at start (they were left by a crash) and at exit.
void ClearWorkingFolders();

// The end step: the lock owner clears its working folders; every instance forgets its
// folders. A second instance passes false and leaves everything on disk as it is.
void FinishFolders(bool ownsInstanceLock);

// Sets AlbumBaseFolder for one scope and puts the old value back however the scope ends.
class AlbumBaseFolderScope {
public:
    explicit AlbumBaseFolderScope(const QString& value);
    ~AlbumBaseFolderScope();
    AlbumBaseFolderScope(const AlbumBaseFolderScope&) = delete;
    AlbumBaseFolderScope& operator=(const AlbumBaseFolderScope&) = delete;

private:
    QString saved_;
};

} // namespace model
