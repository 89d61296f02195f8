#include "publish/ftp/TFtpThread.h"

#include "publish/ftp/FtpSession.h"
#include "publish/ftp/ListedUploads.h"
#include "publish/ftp/LocalFolderWalk.h"

#include <QDir>

#include <cerrno>
#include <cstring>

namespace publish {

namespace {

// A folder left out would end in "Upload Complete" with its files missing on the server; it
// fails before anything of it is made there.
void requireReadable(const QString& folder) {
    if (!LocalFolderWalk::canRead(folder))
        throw FtpError(QStringLiteral("Cannot read the folder \"%1\": %2")
                           .arg(QDir::toNativeSeparators(folder),
                                QString::fromLocal8Bit(std::strerror(errno))));
}

} // namespace

TFtpThread::TFtpThread(std::unique_ptr<FtpSession> session, QString localDir, int fileCount,
                       std::shared_ptr<std::atomic<bool>> cancelRequested)
    : session_(std::move(session)), localDir_(std::move(localDir)), fileCount_(fileCount),
      cancelRequested_(std::move(cancelRequested)) {}

TFtpThread::~TFtpThread() = default;

void TFtpThread::run() {
    try {
        // The window may have stood idle before Upload: this first command logs in again if
        // the connection has ended meanwhile. From here on a lost connection fails the upload.
        session_->pwd();
        session_->setLogInAgain(false);
        requireReadable(localDir_);
        const std::optional<QStringList> checked = uploadDirectory(localDir_, QString());
        RemoteListing listing;
        if (!cancelled()) {
            try {
                listing = RemoteListingParser::parse(checked ? *checked : session_->list());
            } catch (const FtpError&) {
                // A listing that fails shows as an empty folder.
            }
        }
        // Every file is confirmed: the window need not wait for the goodbye.
        if (!cancelled())
            emit completed(listing);
        session_->close();
    } catch (const std::exception& e) {
        QString message = QString::fromUtf8(e.what());
        if (message.isEmpty())
            message = QStringLiteral("The upload stopped with an unknown error.");
        if (!cancelled())
            emit failed(message);
    }
    session_.reset();
    emit done();
}

std::optional<QStringList> TFtpThread::uploadDirectory(const QString& folder,
                                                       const QString& relative) {
    ListedUploads unconfirmed;
    for (const QFileInfo& info : LocalFolderWalk::entries(folder)) {
        const QString name = info.fileName();
        if (info.isDir()) {
            requireReadable(info.filePath());
            enterRemoteFolder(name);
            uploadDirectory(info.filePath(), relative + name + u'/');
            session_->cdup();
        } else {
            emit uploading(fileIndex_, fileCount_, relative + name);
            const FtpSession::Stored stored = session_->stor(info.filePath(), name);
            if (!stored.confirmed)
                unconfirmed.add(name, stored.bytes);
            ++fileIndex_;
        }
        if (cancelled())
            return std::nullopt;
    }
    if (unconfirmed.isEmpty())
        return std::nullopt;
    QStringList lines = session_->list();
    unconfirmed.check(lines);
    return lines;
}

void TFtpThread::enterRemoteFolder(const QString& name) {
    FtpSession::checkArgument(name, QStringLiteral("folder name \"%1\"").arg(name));
    QStringList names;
    try {
        names = session_->nlst();
    } catch (const FtpError& e) {
        // No listing: try to create the folder, unless the connection went with it.
        if (e.sessionLost())
            throw;
    }
    // Some servers answer NLST with paths; the last part is the name.
    bool exists = false;
    for (const QString& entry : names) {
        if (entry.section(u'/', -1) == name)
            exists = true;
    }
    if (!exists) {
        try {
            session_->mkd(name);
        } catch (const FtpError& mkdError) {
            // A server that ignores letter case may hold the folder under another spelling.
            try {
                session_->cwd(name);
            } catch (const FtpError&) {
                throw mkdError;
            }
            return;
        }
    }
    session_->cwd(name);
}

} // namespace publish
