#include "app/pages/AlbumFolderHandler.h"

#include "app/pages/AlbumScheme.h"

#include "publish/preview/ServedFolder.h"

#include <QFile>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace app {

AlbumFolderHandler::AlbumFolderHandler(std::function<QString()> folder, QObject* parent)
    : QWebEngineUrlSchemeHandler(parent), folder_(std::move(folder)) {}

void AlbumFolderHandler::requestStarted(QWebEngineUrlRequestJob* job) {
    const QByteArray method = job->requestMethod();
    if (method != "GET" && method != "HEAD") {
        job->fail(QWebEngineUrlRequestJob::RequestDenied);
        return;
    }
    const QString path = AlbumScheme::pathOf(job->requestUrl());
    const QString file =
        path.isEmpty() ? QString() : publish::ServedFolder(folder_()).fileFor(path);
    // The name was resolved inside the folder; a link put in its place since then is not
    // followed.
    const int fd = file.isEmpty() ? -1
                                  : ::open(QFile::encodeName(file).constData(),
                                           O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    struct stat facts {};
    if (fd < 0 || ::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        if (fd >= 0)
            ::close(fd);
        job->fail(QWebEngineUrlRequestJob::UrlNotFound);
        return;
    }
    auto* device = new QFile(job); // goes with the job
    if (!device->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        job->fail(QWebEngineUrlRequestJob::RequestFailed);
        return;
    }
    const QByteArray type =
        QMimeDatabase().mimeTypeForFile(file, QMimeDatabase::MatchExtension).name().toUtf8();
    job->reply(type, device);
}

} // namespace app
