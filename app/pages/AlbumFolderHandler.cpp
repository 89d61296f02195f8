#include "app/pages/AlbumFolderHandler.h"

#include "app/pages/AlbumScheme.h"

#include "publish/preview/ServedFolder.h"

#include <QFile>
#include <QMimeDatabase>
#include <QWebEngineUrlRequestJob>

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
    qint64 size = 0;
    const int fd = path.isEmpty() ? -1 : publish::ServedFolder(folder_()).openFile(path, size);
    if (fd < 0) {
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
        QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8();
    job->reply(type, device);
}

} // namespace app
