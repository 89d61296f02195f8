#include "model/SafePath.h"

#include <QDir>
#include <QFileInfo>

namespace model {

bool IsSafeRelativePath(const QString& relative) {
    if (relative.isEmpty())
        return false;
    for (QChar c : relative) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    if (relative.startsWith(u'/') || relative.startsWith(u'\\'))
        return false;
    if (relative.size() >= 2 && relative[1] == u':')
        return false; // a drive prefix such as "C:"
    QString normal = relative;
    normal.replace(u'\\', u'/');
    const auto parts = normal.split(u'/');
    for (const QString& part : parts) {
        if (part == u".." || part == u".")
            return false;
    }
    return !parts.last().isEmpty();
}

bool IsInsideFolder(const QString& folder, const QString& path) {
    if (folder.isEmpty() || path.isEmpty())
        return false;
    QString base = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString target = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!base.endsWith(u'/'))
        base += u'/';
    if (!target.startsWith(base) || target.size() <= base.size())
        return false;
    // A linked folder inside the working folder must not lead elsewhere.
    const QString realBase = QFileInfo(folder).canonicalFilePath();
    const QString realDir = QFileInfo(QFileInfo(target).absolutePath()).canonicalFilePath();
    if (realBase.isEmpty() || realDir.isEmpty())
        return true; // nothing on disk there, so nothing to reach through a link
    return realDir == realBase || realDir.startsWith(realBase + u'/');
}

bool IsPictureAssetPath(const QString& relative) {
    if (!IsSafeRelativePath(relative))
        return false;
    QString normal = relative;
    normal.replace(u'\\', u'/');
    for (const QLatin1StringView folder :
         {QLatin1StringView("pictavo_images/"), QLatin1StringView("pictavo_thumbs/")}) {
        if (normal.startsWith(folder) && normal.size() > folder.size())
            return true;
    }
    return false;
}

bool IsPlainFileName(const QString& name) {
    return IsSafeRelativePath(name) && !name.contains(u'/') && !name.contains(u'\\');
}

QString LastPathComponent(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}

} // namespace model
