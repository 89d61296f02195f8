#include "model/image/PictureSearch.h"

#include "model/TextRoutines.h"
#include "platform/sys/FileAttributes.h"
#include "platform/sys/FolderEntryNames.h"

#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace model {

namespace {

// ASCII lower case only: a locale must not change which files are pictures.
QString asciiLower(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return out;
}

bool isPictureName(const QString& name, const QStringList& extensions) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot >= 0 && extensions.contains(asciiLower(name.mid(dot)));
}

// The picture files and folders of `dir` whose names are not valid UTF-8, which a folder
// listing in text leaves out, as dir + their visible names.
QStringList unreadableEntries(const QString& dir, const QStringList& extensions) {
    const std::string native = QFile::encodeName(dir).toStdString();
    QStringList found;
    for (const std::string& name : platform::folderEntryNames(native)) {
        const QByteArray bytes(name.data(), qsizetype(name.size()));
        if (QByteArrayView(bytes).isValidUtf8())
            continue;
        const auto attributes = platform::fileAttributes(native + name);
        if (attributes && attributes->isDirectory())
            found << dir + VisibleFileName(bytes) + u'/';
        else if (isPictureName(QString::fromUtf8(bytes), extensions))
            found << dir + VisibleFileName(bytes);
    }
    found.sort(Qt::CaseInsensitive);
    return found;
}

} // namespace

QStringList PictureExtensions() {
    return {QStringLiteral(".bmp"), QStringLiteral(".gif"), QStringLiteral(".jpe"),
            QStringLiteral(".jpeg"), QStringLiteral(".jpg")};
}

bool FindPictureFiles(const QString& folder, QStringList& results, const FileProgress& callbacks,
                      QStringList* unreadable) {
    const QStringList extensions = PictureExtensions();
    auto cancelled = [&] { return callbacks.cancelled && callbacks.cancelled(); };
    constexpr QDir::Filters filter =
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    // Folders still to search, the next one last; kept on a stack of our own so a deep tree
    // needs no deep recursion.
    std::vector<QString> pending{WithTrailingSlash(folder)};
    while (!pending.empty()) {
        if (cancelled())
            return false;
        const QString dir = pending.back();
        pending.pop_back();
        if (callbacks.currentFolder)
            callbacks.currentFolder(dir);
        if (callbacks.pump)
            callbacks.pump();
        if (cancelled())
            return false;
        QStringList subFolders;
        for (const QFileInfo& info :
             QDir(dir).entryInfoList(filter, QDir::Name | QDir::IgnoreCase)) {
            if (info.isSymLink()) {
                if (info.isFile() && isPictureName(info.fileName(), extensions))
                    results << dir + info.fileName();
            } else if (info.isDir()) {
                subFolders << dir + info.fileName() + u'/';
            } else if (info.isFile() && isPictureName(info.fileName(), extensions)) {
                results << dir + info.fileName();
            }
        }
        if (unreadable)
            *unreadable += unreadableEntries(dir, extensions);
        for (auto it = subFolders.crbegin(); it != subFolders.crend(); ++it)
            pending.push_back(*it);
    }
    return !cancelled();
}

} // namespace model
