#pragma once

#include "publish/ftp/FtpAbortSwitch.h"
#include "publish/ftp/FtpDefaults.h"
#include "publish/ftp/FtpPaths.h"
#include "publish/ftp/FtpSession.h"
#include "publish/ftp/RemoteListing.h"

#include <QDialog>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QGridLayout;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QThread;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace publish {

class TFtpThread;

// "Publish To FTP": uploads a published album folder. When shown it connects, logs in and
// lists the remote folder on the GUI thread, pumping events while it waits so that the window
// can be closed at any time (closing ends the wait at once); the user may browse and create
// folders; Upload hands the session to a worker thread that copies the folder and reports back
// through queued signals. Closing during an upload (after confirmation) lets the worker end
// after the file in progress; when the window goes away and the worker has not ended within
// half a second, its sockets are shut down rather than waited out. Reports that still arrive
// change nothing. Names are shown with their direction controls made visible.
class TfrmFtpModule : public QDialog {
    Q_OBJECT

public:
    // `port` is 21 for users; tests pass their local server's port.
    TfrmFtpModule(const FtpDefaults& defaults, const QString& localFolder,
                  QWidget* parent = nullptr, quint16 port = FtpSession::DefaultPort);
    ~TfrmFtpModule() override;

    // Called on this window and on each dialog it makes, before they show (the application
    // puts its language in).
    using FormPreparer = std::function<void(QWidget& form)>;

    // A fresh window for one upload of `localFolder`, shown modally.
    static void upload(const FtpDefaults& defaults, const QString& localFolder,
                       QWidget* parent = nullptr, FormPreparer prepare = {});

    QString Host;
    QString PortText = QStringLiteral("21");
    QString User;
    QString Password;
    QString LocalFolder;  // ends with "/"
    QString RemoteFolder; // begins and ends with "/"
    QString TransferMode;
    bool CanClose = true;
    bool Completed = false;
    int LocalFileCount = 0;
    // The total deadline of each reply (and of a silent transfer); tests shorten it.
    std::chrono::milliseconds Timeout = FtpSession::DefaultTimeout;
    // How long an unused connection is trusted before the next action logs in anew; tests
    // shorten it.
    std::chrono::seconds MaxIdle = FtpSession::DefaultMaxIdle;

    FormPreparer prepareForm;
    // The two questions of the window; tests replace them.
    std::function<std::optional<QString>()> askDirectoryName;
    std::function<std::optional<QString>(const QString& current)> askPublishedUrl;

    ResultUrls resultUrls() const { return urls_; }
    bool workerStarted() const { return thread_ != nullptr; }
    // Whether the upload's worker thread has ended (true when none was started).
    bool workerFinished() const;

    void connectServer();
    void btnStartClick();
    void lvRemoteDblClick(QTreeWidgetItem* item);
    void tntSBUpOneLevelClick();
    void tntSBRefreshClick();
    void tntSBCreateDirectoryClick();
    void lblC_ChangeSettingClick();
    // Opens a result link: web addresses only.
    static bool openLink(const QString& text);

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    QGroupBox* buildInfoBox();
    // The local and remote lists, with the remote folder's tool buttons.
    QGridLayout* buildLists();
    void buildConnectingPage();
    void buildUploadingPage();
    void buildFailedPage();
    void buildCompletePage();
    void buildInitialPage();
    void connectControls();
    QWidget* addPage(const char* name);
    void showPage(const char* name);
    void refreshRemoteList();
    void fillRemoteList(const RemoteListing& listing);
    void updateRemoteFolderFromServer();
    void showFtpInfo();
    void setResultUrls(const QString& address, bool replacePage);
    void setBrowsingEnabled(bool enabled);
    bool browsingAllowed() const;
    // The waiting of the GUI thread's session: events pumped, this window's abort switch.
    FtpWaiting guiWaiting();
    // True (after showing the failure) when the error ended the session.
    bool endedSession(const FtpError& error);

    // Takes the worker's report before each file; the latest is shown (see ProgressMs).
    void showUploading(int fileIndex, int fileCount, const QString& currentFile);
    void showPendingProgress();
    void showComplete(const RemoteListing& listing);
    void showFailed(const QString& message);

    bool eventFilter(QObject* watched, QEvent* event) override;

    quint16 port_;
    bool connectQueued_ = false;
    bool userSetUrl_ = false;
    ResultUrls urls_;
    // The session of the GUI thread until Upload; then the worker's.
    std::unique_ptr<FtpSession> session_;
    std::shared_ptr<std::atomic<bool>> cancelRequested_;
    std::shared_ptr<FtpAbortSwitch> abortSwitch_;
    // Nonzero while the GUI thread waits for the server; input that would send a command
    // meanwhile is ignored.
    int waitingForServer_ = 0;
    struct UploadProgress {
        int index = 0;
        int count = 0;
        QString file;
    };
    std::optional<UploadProgress> pendingProgress_;
    QTimer* progressTimer_ = nullptr;
    std::unique_ptr<QThread> thread_;
    std::unique_ptr<TFtpThread> worker_;

    QLabel* lblFtpServer;
    QLabel* lblPort;
    QLabel* lblUsername;
    QLabel* lblPassword;
    QLabel* lblLocalFolder;
    QLabel* lblRemoteFolder;
    QListWidget* tntlbLocal;
    QTreeWidget* lvRemote;
    QToolButton* tntSBCreateDirectory;
    QToolButton* tntSBUpOneLevel;
    QToolButton* tntSBRefresh;
    QLabel* tntlbFolderStatus;
    QStackedWidget* nbkStatus;
    QLabel* lblConnecting;
    QString connectingTemplate_;
    QLabel* lblU_From;
    QLabel* lblU_To;
    QProgressBar* pgU_Progress;
    QLabel* lblU_FilesCount;
    QLabel* lblF_Error;
    QLabel* lblC_Url;
    QLabel* lblC_Url_suggest;
    QLabel* lblC_ChangeSetting;
    QPushButton* btnStart;
    QPushButton* btnClose;
};

} // namespace publish
