#pragma once

#include "publish/ftp/RemoteListing.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

namespace publish {

class FtpSession;

// The upload's work, run on its own thread: copies a local folder, sub-folders included, into
// the session's current remote folder. It owns the session from the start of the upload and
// reports only through its signals (connected queued to the window). It reads the shared
// cancel flag after each folder entry and then stops quietly: no further report.
class TFtpThread : public QObject {
    Q_OBJECT

public:
    TFtpThread(std::unique_ptr<FtpSession> session, QString localDir, int fileCount,
               std::shared_ptr<std::atomic<bool>> cancelRequested);
    ~TFtpThread() override;

    // The upload from start to end; ends the session (QUIT) however it goes.
    void run();

signals:
    // Before each file: its number from 1, the count, its path relative to the local folder.
    void uploading(int fileIndex, int fileCount, const QString& currentFile);
    // Every file is on the server; the remote folder's listing afterwards.
    void completed(const publish::RemoteListing& listing);
    // The upload stopped on an error with this text.
    void failed(const QString& message);
    // run() is over, whatever happened.
    void done();

private:
    // The folder's listing when it was read to check uploads the server did not confirm.
    std::optional<QStringList> uploadDirectory(const QString& folder, const QString& relative);
    void enterRemoteFolder(const QString& name);
    bool cancelled() const { return cancelRequested_->load(); }

    std::unique_ptr<FtpSession> session_;
    QString localDir_;
    int fileIndex_ = 1;
    int fileCount_ = 0;
    std::shared_ptr<std::atomic<bool>> cancelRequested_;
};

} // namespace publish
