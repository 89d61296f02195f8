#include "publish/ftp/LocalFolderWalk.h"

#include <QDir>
#include <QFile>

#include <dirent.h>

#include <algorithm>

namespace publish {

namespace {

void collect(const QString& folder, const QString& prefix, QStringList& files) {
    for (const QFileInfo& info : LocalFolderWalk::entries(folder)) {
        if (info.isDir())
            collect(info.filePath(), prefix + info.fileName() + u'/', files);
        else
            files << prefix + info.fileName();
    }
}

} // namespace

QFileInfoList LocalFolderWalk::entries(const QString& folder) {
    QDir dir(folder);
    QFileInfoList all = dir.entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    QFileInfoList kept;
    for (const QFileInfo& info : all) {
        if (info.isDir() ? !info.isSymLink() : info.isFile())
            kept << info;
    }
    std::sort(kept.begin(), kept.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.fileName().toUtf8() < b.fileName().toUtf8();
    });
    return kept;
}

bool LocalFolderWalk::canRead(const QString& folder) {
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

QStringList LocalFolderWalk::collectFiles(const QString& folder) {
    QStringList files;
    collect(folder, QString(), files);
    return files;
}

} // namespace publish
