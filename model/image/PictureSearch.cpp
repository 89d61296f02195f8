#include "model/image/PictureSearch.h"

#include <QDir>
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

} // namespace

QStringList PictureExtensions() {
    return {QStringLiteral(".bmp"), QStringLiteral(".gif"), QStringLiteral(".jpe"),
            QStringLiteral(".jpeg"), QStringLiteral(".jpg")};
}

bool FindPictureFiles(const QString& folder, QStringList& results, const FileProgress& callbacks) {
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
        for (auto it = subFolders.crbegin(); it != subFolders.crend(); ++it)
            pending.push_back(*it);
    }
    return !cancelled();
}

} // namespace model
