#include "model/FolderLayout.h"

#include "model/Errors.h"
#include "model/FileRoutines.h"
#include "platform/SpecialFolders.h"
#include "platform/sys/ExecutableDir.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace model {

namespace {

// A folder we may work in: a real folder (not a link) that belongs to this user and that
// nobody else may write, since others could otherwise plant or swap files in it.
bool isPrivateFolder(const QString& folder) {
    struct stat st {};
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    return st.st_uid == ::getuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool makeDataFolder(const QString& folder) {
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        return false;
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return false;
    return QFileInfo(folder).isWritable();
}

// The fallback lives in a folder every user shares, so it must be ours alone.
bool makePrivateTempFolder(const QString& folder) {
    const QByteArray path = QFile::encodeName(QDir::cleanPath(folder));
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    return isPrivateFolder(folder) && QFileInfo(folder).isWritable();
}

// Points the data folder and everything inside it at `dataFolder`.
void placeDataFolder(FolderLayout& f, const QString& dataFolder) {
    f.DataFolder = dataFolder;
    f.ThumbsFolder = f.DataFolder + QStringLiteral("Thumbs/");
    f.PreviewFolder = f.DataFolder + QStringLiteral("Preview/");
    f.PreviewImagesFolder = f.PreviewFolder + QStringLiteral("pictavo_images/");
    f.PreviewThumbsFolder = f.PreviewFolder + QStringLiteral("pictavo_thumbs/");
    f.PreviewMusicFolder = f.PreviewFolder + QStringLiteral("pictavo_music/");
}

} // namespace

FolderLayout FolderLayout::compute(const QString& exeDir, const QString& appDataDir) {
    FolderLayout f;
    f.AppFolder = WithTrailingSlash(QDir::fromNativeSeparators(exeDir));
    f.FilesFolder = f.AppFolder + QStringLiteral("Files/");
    f.TemplatesFolder = f.AppFolder + QStringLiteral("Templates/");
    f.LanguagesFolder = f.AppFolder + QStringLiteral("Languages/");
    // Without an application-data folder there is no data folder at all, rather than one
    // at the root of the file system.
    if (!appDataDir.isEmpty())
        placeDataFolder(f, WithTrailingSlash(QDir::fromNativeSeparators(appDataDir)) +
                               QStringLiteral("Pictavo/"));
    return f;
}

FolderLayout& Folders() {
    static FolderLayout folders;
    return folders;
}

void InitFolders() {
    InitFolders(QString::fromStdString(platform::executableDir()), platform::appDataFolder(),
                QDir::tempPath());
}

void InitFolders(const QString& exeDir, const QString& appDataDir, const QString& tempDir) {
    FolderLayout layout = FolderLayout::compute(exeDir, appDataDir);
    if (!makeDataFolder(layout.DataFolder)) {
        const QString tried = layout.DataFolder;
        const QString fallback =
            WithTrailingSlash(tempDir) + QStringLiteral("Pictavo-") + QString::number(::getuid());
        if (tempDir.isEmpty() || QDir::isRelativePath(tempDir) ||
            !makePrivateTempFolder(fallback)) {
            throw FileError(
                QStringLiteral("Cannot create the folder for the album being edited.\n"
                               "Tried: %1\nand: %2/")
                    .arg(tried.isEmpty() ? QStringLiteral("(no application data folder)") : tried,
                         fallback));
        }
        placeDataFolder(layout, fallback + QLatin1Char('/'));
    }
    Folders() = layout;
}

void ClearWorkingFolders() {
    const FolderLayout& f = Folders();
    if (f.DataFolder.isEmpty())
        return;
    RemoveFolderTree(f.ThumbsFolder);
    RemoveFolderTree(f.PreviewFolder);
}

void FinishFolders(bool ownsInstanceLock) {
    if (ownsInstanceLock)
        ClearWorkingFolders();
    Folders() = FolderLayout{};
}

AlbumBaseFolderScope::AlbumBaseFolderScope(const QString& value)
    : saved_(Folders().AlbumBaseFolder) {
    Folders().AlbumBaseFolder = value;
}

AlbumBaseFolderScope::~AlbumBaseFolderScope() {
    Folders().AlbumBaseFolder = saved_;
}

} // namespace model
