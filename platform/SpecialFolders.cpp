#include "platform/SpecialFolders.h"

#include <QDir>

namespace platform {

namespace {

QString withSlash(QString path) {
    if (path.isEmpty())
        return path;
    path = QDir::fromNativeSeparators(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

} // namespace

QString standardFolder(QStandardPaths::StandardLocation location) {
    return withSlash(QStandardPaths::writableLocation(location));
}

QString appDataFolder() {
    return standardFolder(QStandardPaths::GenericDataLocation);
}

QString picturesFolder() {
    return standardFolder(QStandardPaths::PicturesLocation);
}

QString configFolder() {
    return standardFolder(QStandardPaths::GenericConfigLocation);
}

} // namespace platform
