#pragma once

// File and folder routines shared by the whole program. They keep no state
// between calls. Folder arguments may end with "/" or not; listed folders always end with
// "/", listed files never do. Symbolic links are never followed into: a link inside a folder
// is an entry of its own, deleted as itself and never descended.

#include <QString>
#include <QStringList>

#include <functional>

namespace model {

// How long-running routines talk to whoever shows their progress. Every member may be empty.
struct FileProgress {
    std::function<void(int)> progress;                 // percent done, 0..100
    std::function<void(const QString&)> currentFolder; // the folder being searched
    std::function<bool()> cancelled;                   // polled before every entry
    std::function<void()> pump;                        // lets the user interface breathe
};

// The folder with "/" appended unless it already ends with one.
QString WithTrailingSlash(const QString& folder);

// Appends every entry of `folder` (hidden ones included, "." and ".." not), files as
// folder + name, sub-folders as folder + name + "/", sorted by name ignoring case. With
// `recursive` a sub-folder's own entries follow right after it. A symbolic link is listed as
// a file whatever it points to.
void ListFolderEntries(const QString& folder, QStringList& list, bool recursive);

// Appends the sub-folders of `folder` that are not hidden, each ending with "/". A link to a
// folder is listed but never descended into.
void ListSubFolders(const QString& folder, QStringList& list, bool recursive);

// Appends every file under `folder` whose extension (".jpg", compared ignoring case) is in
// `extensions`. Reports each folder before its files, then pumps. False when it stopped
// because `cancelled` said so; what was found until then stays in `results`.
bool SearchFilesByExt(const QString& folder, const QStringList& extensions, QStringList& results,
                      bool recursive, const FileProgress& callbacks = {});

// Deletes everything inside `folder` (read-only entries too); the folder itself stays.
// Refuses "", "/" and the home folder. True when the folder is empty afterwards (a missing
// folder counts as empty).
bool ClearFolder(const QString& folder);

// Empties and removes `folder`; a link there is removed as itself. True when it is gone.
bool RemoveFolderTree(const QString& folder);

// The outcome of a folder copy: Failed lists the entries that could not be copied.
struct CopyResult {
    enum class Status { Done, Cancelled, Failed };
    Status status = Status::Done;
    QStringList failedPaths;
    bool diskFull = false; // a file failed for want of room on the target's disk
    QString diskFullPath;  // the first file of the target that could not be written for it
    bool done() const { return status == Status::Done; }
};

// Copies the tree under `source` into `target`: missing folders are created (empty ones
// too), files replace what is there (each atomically). FIFOs, devices and sockets are
// skipped, links to folders are not followed, a link to a file is copied as the file.
// A file is never copied onto itself, and nothing is written through a link to a folder in
// the target: such a folder and what would go into it count as failed. After each entry
// `progress` gets the percent done.
CopyResult CopyFolder(const QString& source, const QString& target,
                      const FileProgress& callbacks = {});

// The same, stopping before the next entry once `cancelled` says so. The files named in
// `leftOut` (paths relative to `source`) are not copied, and what the target holds under
// those names is left alone.
CopyResult CopyFolderCancelable(const QString& source, const QString& target,
                                const FileProgress& callbacks, const QStringList& leftOut = {});

// Writes the bytes of `source` to `target` (links followed), replacing `target` only once every
// byte is written: a failure leaves it as it was. False when anything failed; diskFull, when
// given, then says whether the target's disk was full.
bool CopyFileContents(const QString& source, const QString& target, bool* diskFull = nullptr);

// The size in bytes of the file at `path` (links followed); 0 when there is no such file.
qint64 GetFileSizeOf(const QString& path);

// Where a write to `path` lands: the absolute path with every symbolic link on the way
// followed, the file's own link chain included (also when its last target does not exist
// yet). A chain that loops is followed no further than the system would.
QString ResolveLinkedPath(const QString& path);

// The per-user application-data folder, ending with "/"; "" when there is none.
QString GetAppDataFolder();

// The user's folder of the given index (12: pictures, 5: desktop, 15: documents, 11: music,
// 13: videos, 1 and 9: application data, 2: cache, 7: fonts), ending with "/"; "" for any
// other index or when the desktop has no such folder.
QString GetShellFolder(int index);

} // namespace model
