#include "model/FileRoutines.h"

#include "platform/SpecialFolders.h"
#include "platform/sys/FileAttributes.h"

#include "model/ReplacedFile.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace model {

namespace {

constexpr QDir::Filters kAllEntries =
    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

QFileInfoList directEntries(const QString& folder) {
    return QDir(folder).entryInfoList(kAllEntries, QDir::Name | QDir::IgnoreCase);
}

// A folder of its own, not a link to one.
bool isRealDir(const QFileInfo& info) {
    return info.isDir() && !info.isSymLink();
}

// How one walk over a folder tree reads and reports it.
//   entries(dir):       the entries of a folder, in the order they are visited;
//   visit(info, dir):   called for each entry of `dir`; returns the path of the sub-folder to
//                       descend into next, or nothing;
//   enter(dir):         runs before a folder's entries are read, the starting folder's too;
//   stop():             polled before the start and before every step; true ends the walk.
// Walks in pre-order with a stack of its own, so a deep tree needs no deep recursion.
// False when `stop` ended the walk.
template <class Entries, class Visit, class Enter, class Stop>
bool walkTree(const QString& folder, Entries&& entries, Visit&& visit, Enter&& enter, Stop&& stop) {
    struct Frame {
        QString dir;
        QFileInfoList entries;
        qsizetype next = 0;
    };
    if (stop())
        return false;
    std::vector<Frame> stack;
    const QString root = WithTrailingSlash(folder);
    enter(root);
    stack.push_back({root, entries(root), 0});
    while (!stack.empty()) {
        if (stop())
            return false;
        Frame& top = stack.back();
        if (top.next >= top.entries.size()) {
            stack.pop_back();
            continue;
        }
        const QFileInfo info = top.entries.at(top.next++);
        const std::optional<QString> subFolder = visit(info, top.dir);
        if (subFolder) {
            enter(*subFolder);
            stack.push_back({*subFolder, entries(*subFolder), 0});
        }
    }
    return true;
}

// Every entry under `folder`, links as entries of their own and never descended. `visit`
// gets each entry's info and its listed path; `enter` runs before a folder's entries are read.
template <class Visit, class Enter>
void walk(const QString& folder, bool recursive, Visit&& visit, Enter&& enter) {
    walkTree(
        folder, directEntries,
        [&](const QFileInfo& info, const QString& dir) -> std::optional<QString> {
            const bool isFolder = isRealDir(info);
            const QString path =
                dir + info.fileName() + (isFolder ? QStringLiteral("/") : QString());
            visit(info, path);
            if (isFolder && recursive)
                return path;
            return std::nullopt;
        },
        enter, [] { return false; });
}

void makeTraversable(const QString& dir) {
    QFile::setPermissions(dir, QFile::permissions(dir) | QFile::ReadOwner | QFile::WriteOwner |
                                   QFile::ExeOwner);
}

QString withoutTrailingSlash(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

// Folders no caller may ever empty: built by concatenation, an empty global would otherwise
// aim at the working directory, the root or the user's home.
bool isProtectedFolder(const QString& folder) {
    if (folder.trimmed().isEmpty() || QDir::isRelativePath(folder))
        return true;
    const QString clean = QDir::cleanPath(folder);
    const QString home = QDir::cleanPath(QDir::homePath());
    if (clean == QLatin1String("/") || clean == home)
        return true;
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return false;
    const QString canonicalHome = QFileInfo(home).canonicalFilePath();
    return canonical == QLatin1String("/") ||
           (!canonicalHome.isEmpty() && canonical == canonicalHome);
}

bool sameFile(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

enum class CopyOutcome { Copied, Skipped, Failed, DiskFull };

CopyOutcome copyOneFile(const QString& source, const QString& target) {
    const auto own = platform::fileAttributes(source.toStdString());
    if (!own)
        return CopyOutcome::Failed;
    if (own->isSpecial())
        return CopyOutcome::Skipped; // reading a FIFO would block forever
    const QFileInfo followed(source);
    if (own->isSymlink() && !followed.isFile())
        return CopyOutcome::Skipped; // a link to a folder, a device or nothing
    if (sameFile(source, target))
        return CopyOutcome::Failed; // replacing a file by itself would destroy it

    const auto existing = platform::fileAttributes(target.toStdString());
    if (existing) {
        if (existing->isDirectory())
            return CopyOutcome::Failed;
        // The entry is replaced, never written through: a link there could point anywhere.
        if (existing->isSymlink() && !platform::deleteFile(target.toStdString()))
            return CopyOutcome::Failed;
    }

    bool diskFull = false;
    if (CopyFileContents(source, target, &diskFull))
        return CopyOutcome::Copied;
    return diskFull ? CopyOutcome::DiskFull : CopyOutcome::Failed;
}

CopyResult copyTree(const QString& source, const QString& target, const FileProgress& callbacks,
                    bool cancelable, const QStringList& leftOut = {}) {
    CopyResult result;
    const QString src = WithTrailingSlash(source);
    const QString dst = WithTrailingSlash(target);
    const bool cancelCheck = cancelable && callbacks.cancelled;
    if (cancelCheck && callbacks.cancelled()) {
        result.status = CopyResult::Status::Cancelled;
        return result;
    }

    QStringList entries;
    ListFolderEntries(src, entries, true);
    const qsizetype n = entries.size();
    QDir().mkpath(dst);
    bool cancelled = false;
    // Target folders that are links, ending with "/": nothing goes into them.
    QStringList linkedFolders;
    const auto isLinked = [&linkedFolders](const QString& path) {
        for (const QString& folder : linkedFolders)
            if (path.startsWith(folder))
                return true;
        return false;
    };
    for (qsizetype i = 0; i < n; ++i) {
        if (cancelCheck && callbacks.cancelled()) {
            cancelled = true;
            break;
        }
        const QString& entry = entries.at(i);
        const QString relative = entry.mid(src.size());
        const QString destination = dst + relative;
        if (isLinked(destination)) {
            result.failedPaths << entry;
        } else if (entry.endsWith(QLatin1Char('/'))) {
            const auto existing =
                platform::fileAttributes(withoutTrailingSlash(destination).toStdString());
            if (existing && existing->isSymlink()) {
                linkedFolders << destination;
                result.failedPaths << entry;
            } else if (!QDir().mkpath(destination)) {
                result.failedPaths << entry;
            }
        } else if (leftOut.contains(relative)) {
            // Not the album's to publish, and whatever the target holds of that name stays.
        } else {
            QDir().mkpath(QFileInfo(destination).absolutePath());
            const CopyOutcome outcome = copyOneFile(entry, destination);
            if (outcome == CopyOutcome::Failed || outcome == CopyOutcome::DiskFull)
                result.failedPaths << entry;
            if (outcome == CopyOutcome::DiskFull && !result.diskFull)
                result.diskFullPath = destination;
            result.diskFull = result.diskFull || outcome == CopyOutcome::DiskFull;
        }
        if (callbacks.progress)
            callbacks.progress(static_cast<int>(std::nearbyint(100.0 * double(i + 1) / double(n))));
        if (callbacks.pump)
            callbacks.pump();
    }
    if (cancelled)
        result.status = CopyResult::Status::Cancelled;
    else if (!result.failedPaths.isEmpty())
        result.status = CopyResult::Status::Failed;
    return result;
}

bool hasExtensionIn(const QString& fileName, const QStringList& extensions) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    return extensions.contains(fileName.mid(dot), Qt::CaseInsensitive);
}

} // namespace

QString WithTrailingSlash(const QString& folder) {
    if (folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

void ListFolderEntries(const QString& folder, QStringList& list, bool recursive) {
    walk(
        folder, recursive, [&](const QFileInfo&, const QString& path) { list << path; },
        [](const QString&) {});
}

void ListSubFolders(const QString& folder, QStringList& list, bool recursive) {
    walkTree(
        folder,
        [](const QString& dir) {
            return QDir(dir).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                           QDir::Name | QDir::IgnoreCase);
        },
        [&](const QFileInfo& info, const QString& dir) -> std::optional<QString> {
            if (!info.isDir())
                return std::nullopt;
            const QString path = dir + info.fileName() + QLatin1Char('/');
            list << path;
            if (recursive && !info.isSymLink())
                return path;
            return std::nullopt;
        },
        [](const QString&) {}, [] { return false; });
}

bool SearchFilesByExt(const QString& folder, const QStringList& extensions, QStringList& results,
                      bool recursive, const FileProgress& callbacks) {
    auto cancelled = [&] { return callbacks.cancelled && callbacks.cancelled(); };
    auto report = [&](const QString& dir) {
        if (callbacks.currentFolder)
            callbacks.currentFolder(dir);
        if (callbacks.pump)
            callbacks.pump();
    };
    const bool finished = walkTree(
        folder, directEntries,
        [&](const QFileInfo& info, const QString& dir) -> std::optional<QString> {
            if (isRealDir(info)) {
                if (recursive)
                    return dir + info.fileName() + QLatin1Char('/');
            } else if (info.isFile() && hasExtensionIn(info.fileName(), extensions)) {
                results << dir + info.fileName();
            }
            return std::nullopt;
        },
        report, cancelled);
    return finished && !cancelled();
}

bool ClearFolder(const QString& folder) {
    if (isProtectedFolder(folder))
        return false;
    const QFileInfo info(folder);
    if (!info.exists())
        return !info.isSymLink();
    if (!info.isDir())
        return false;

    QStringList entries;
    walk(
        folder, true, [&](const QFileInfo&, const QString& path) { entries << path; },
        [](const QString& dir) { makeTraversable(dir); });
    // Pre-order reversed puts every entry before the folder that holds it.
    for (auto it = entries.crbegin(); it != entries.crend(); ++it) {
        if (it->endsWith(QLatin1Char('/')))
            QDir().rmdir(*it);
        else
            platform::deleteFile(it->toStdString());
    }
    return QDir(folder).isEmpty(kAllEntries);
}

bool RemoveFolderTree(const QString& folder) {
    const QString path = withoutTrailingSlash(folder);
    if (isProtectedFolder(path))
        return false;
    const auto attributes = platform::fileAttributes(path.toStdString());
    if (!attributes)
        return true;
    if (!attributes->isDirectory())
        return platform::deleteFile(path.toStdString());
    ClearFolder(path);
    return QDir().rmdir(path);
}

CopyResult CopyFolder(const QString& source, const QString& target, const FileProgress& callbacks) {
    return copyTree(source, target, callbacks, false);
}

CopyResult CopyFolderCancelable(const QString& source, const QString& target,
                                const FileProgress& callbacks, const QStringList& leftOut) {
    return copyTree(source, target, callbacks, true, leftOut);
}

bool CopyFileContents(const QString& source, const QString& target, bool* diskFull) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    TpaReplacedFile out(target);
    if (!out.Open())
        return false;
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(buffer.data(), buffer.size());
        if (got < 0) {
            out.Cancel();
            return false;
        }
        if (got == 0)
            break;
        if (!out.Write(buffer.constData(), got))
            break;
    }
    if (out.Commit())
        return true;
    if (diskFull)
        *diskFull = out.DiskFull();
    return false;
}

qint64 GetFileSizeOf(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() ? info.size() : 0;
}

QString ResolveLinkedPath(const QString& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path current = fs::absolute(fs::path(QFile::encodeName(path).toStdString()), error);
    // The limit of links the system follows in one path before it gives up.
    constexpr int MaxLinkHops = 40;
    for (int hop = 0; hop <= MaxLinkHops; ++hop) {
        // A relative target counts from the link's real folder, not from the way it was reached.
        const fs::path folder = fs::weakly_canonical(current.parent_path(), error);
        if (!error)
            current = folder / current.filename();
        if (!fs::is_symlink(fs::symlink_status(current, error)))
            break;
        const fs::path target = fs::read_symlink(current, error);
        if (error)
            break;
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return QFile::decodeName(QByteArray::fromStdString(current.lexically_normal().string()));
}

QString GetAppDataFolder() {
    return platform::appDataFolder();
}

QString GetShellFolder(int index) {
    switch (index) {
    case 1:
    case 9:
        return platform::standardFolder(QStandardPaths::GenericDataLocation);
    case 2:
        return platform::standardFolder(QStandardPaths::GenericCacheLocation);
    case 5:
        return platform::standardFolder(QStandardPaths::DesktopLocation);
    case 7:
        return platform::standardFolder(QStandardPaths::FontsLocation);
    case 11:
        return platform::standardFolder(QStandardPaths::MusicLocation);
    case 12:
        return platform::picturesFolder();
    case 13:
        return platform::standardFolder(QStandardPaths::MoviesLocation);
    case 15:
        return platform::standardFolder(QStandardPaths::DocumentsLocation);
    default:
        return {};
    }
}

} // namespace model
