#include "publish/preview/ServedFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace publish {

ServedFolder::ServedFolder(const QString& folder, const QStringList& only) : only_(only) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (!canonical.isEmpty())
        root_ = canonical.endsWith(u'/') ? canonical : canonical + u'/';
}

bool ServedFolder::hidesOrClimbs(const QString& relative) {
    // "." and ".." start with a dot as well: one test refuses the way up and hidden names.
    const QStringList steps = relative.split(u'/');
    for (const QString& step : steps)
        if (step.isEmpty() || step.startsWith(u'.'))
            return true;
    return false;
}

bool ServedFolder::admits(const QString& relative) const {
    if (only_.isEmpty())
        return true;
    for (const QString& entry : only_)
        if (entry.endsWith(u'/') ? relative.startsWith(entry) : relative == entry)
            return true;
    return false;
}

QString ServedFolder::fileFor(const QString& path) const {
    if (root_.isEmpty() || !path.startsWith(u'/') || path.contains(u'\\') ||
        path.contains(QChar(0)) || hidesOrClimbs(path.mid(1)) || !admits(path.mid(1)))
        return QString();
    // Resolved, so that a link inside the folder that leads out of it, or to a hidden file
    // inside it, serves nothing.
    const QString real = QFileInfo(root_ + path.mid(1)).canonicalFilePath();
    if (real.isEmpty() || !real.startsWith(root_) || hidesOrClimbs(real.mid(root_.size())) ||
        !admits(real.mid(root_.size())) || !QFileInfo(real).isFile())
        return QString();
    return real;
}

int ServedFolder::openFile(const QString& path, qint64& size) const {
    const QString file = fileFor(path);
    const int fd = file.isEmpty() ? -1
                                  : ::open(QFile::encodeName(file).constData(),
                                           O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat facts {};
    if (fd < 0 || ::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    size = facts.st_size;
    return fd;
}

} // namespace publish
