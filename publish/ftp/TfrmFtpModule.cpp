#include "publish/ftp/TfrmFtpModule.h"

#include "publish/PublishTexts.h"
#include "publish/ftp/LocalFolderWalk.h"
#include "publish/ftp/TFtpThread.h"
#include "publish/ftp/TfrmFtpCreateDirectory.h"
#include "publish/ftp/TfrmPublishUrl.h"

#include "platform/ShellOpen.h"
#include "platform/sys/Prompts.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <utility>

namespace publish {

namespace {

QLabel* label(QWidget* parent, const char* name, const QString& text = QString(),
              const char* style = nullptr) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setTextFormat(Qt::PlainText);
    if (style)
        l->setStyleSheet(QString::fromLatin1(style));
    return l;
}

QLabel* link(QWidget* parent, const char* name, const QString& text = QString()) {
    QLabel* l = label(parent, name, text, "color: blue; text-decoration: underline;");
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

// Counts a wait of the GUI thread for the server.
struct ServerWait {
    explicit ServerWait(int& counter) : counter_(counter) { ++counter_; }
    ~ServerWait() { --counter_; }
    int& counter_;
};

constexpr const char* Bold = "font-weight: bold;";

constexpr int KindRole = Qt::UserRole;
constexpr int NameRole = Qt::UserRole + 1;
// How long a closed window lets the worker finish the file in progress.
constexpr int WorkerGraceMs = 500;
// How often the upload's progress may change on screen: each change costs the GUI thread about
// half a millisecond, which an upload of many files a second would take from the worker and
// from a server on the same small machine.
constexpr int ProgressMs = 100;

} // namespace

TfrmFtpModule::TfrmFtpModule(const FtpDefaults& defaults, const QString& localFolder,
                             QWidget* parent, quint16 port)
    : QDialog(parent), Host(defaults.Host), User(defaults.User), Password(defaults.Password),
      TransferMode(defaults.TransferMode), port_(port),
      cancelRequested_(std::make_shared<std::atomic<bool>>(false)),
      abortSwitch_(std::make_shared<FtpAbortSwitch>()) {
    qRegisterMetaType<publish::RemoteListing>();
    setObjectName(QStringLiteral("frmFtpModule"));
    setWindowTitle(QStringLiteral("Publish To FTP"));
    LocalFolder = QDir::fromNativeSeparators(localFolder);
    if (!LocalFolder.endsWith(u'/'))
        LocalFolder += u'/';
    // An empty default folder means the login folder: the server is asked where that is.
    if (!defaults.Dir.trimmed().isEmpty())
        RemoteFolder = FtpPaths::ensureSlashedRemotePath(defaults.Dir);
    buildLayout();
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(ProgressMs);
    connect(progressTimer_, &QTimer::timeout, this, &TfrmFtpModule::showPendingProgress);

    askDirectoryName = [this]() -> std::optional<QString> {
        TfrmFtpCreateDirectory dialog(this);
        if (prepareForm)
            prepareForm(dialog);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.directoryName();
    };
    askPublishedUrl = [this](const QString& current) -> std::optional<QString> {
        TfrmPublishUrl dialog(this);
        if (prepareForm)
            prepareForm(dialog);
        dialog.setUrl(current);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.url();
    };
}

TfrmFtpModule::~TfrmFtpModule() {
    if (thread_) {
        // Ends after the file in progress, unless that would keep the user waiting; no report
        // reaches this window any more.
        cancelRequested_->store(true);
        if (!thread_->wait(QDeadlineTimer(WorkerGraceMs))) {
            abortSwitch_->trip();
            thread_->wait();
        }
    }
    worker_.reset();
    // No events are pumped into a window that is going away.
    if (session_)
        session_->setWaiting({{}, abortSwitch_});
}

FtpWaiting TfrmFtpModule::guiWaiting() {
    return {[] { QCoreApplication::processEvents(QEventLoop::AllEvents); }, abortSwitch_};
}

bool TfrmFtpModule::endedSession(const FtpError& error) {
    if (!error.sessionLost())
        return false;
    session_.reset();
    showFailed(error.message());
    return true;
}

void TfrmFtpModule::upload(const FtpDefaults& defaults, const QString& localFolder, QWidget* parent,
                           FormPreparer prepare) {
    TfrmFtpModule window(defaults, localFolder, parent);
    window.prepareForm = std::move(prepare);
    if (window.prepareForm)
        window.prepareForm(window);
    window.exec();
}

void TfrmFtpModule::buildLayout() {
    QGroupBox* info = buildInfoBox();
    QGridLayout* lists = buildLists();
    nbkStatus = new QStackedWidget(this);
    nbkStatus->setObjectName(QStringLiteral("nbkStatus"));
    buildConnectingPage();
    buildUploadingPage();
    buildFailedPage();
    buildCompletePage();
    buildInitialPage();

    btnStart = new QPushButton(QStringLiteral("&Upload"), this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setEnabled(false);
    btnClose = new QPushButton(QStringLiteral("&Cancel"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnStart);
    buttons->addWidget(btnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(info);
    layout->addLayout(lists, 1);
    layout->addWidget(nbkStatus);
    layout->addLayout(buttons);
    resize(640, 560);
    connectControls();
}

QGroupBox* TfrmFtpModule::buildInfoBox() {
    auto* info = new QGroupBox(QStringLiteral("FTP Information"), this);
    info->setObjectName(QStringLiteral("grpFtpInformation"));
    auto* infoGrid = new QGridLayout(info);
    lblFtpServer = label(info, "lblFtpServer", {}, Bold);
    lblPort = label(info, "lblPort", {}, Bold);
    lblUsername = label(info, "lblUsername", {}, Bold);
    lblPassword = label(info, "lblPassword", {}, Bold);
    lblLocalFolder = label(info, "lblLocalFolder", {}, Bold);
    lblRemoteFolder = label(info, "lblRemoteFolder", {}, Bold);
    const std::pair<const char*, const char*> captions[] = {
        {"lblFtpServer_Text", "FTP Server"},     {"lblPort_Text", "Port"},
        {"lblUsername_Text", "Username"},        {"lblPassword_Text", "Password"},
        {"lblLocalFolder_Text", "Local Folder"}, {"lblRemoteFolder_Text", "Remote Folder"}};
    QLabel* values[] = {lblFtpServer, lblPort,        lblUsername,
                        lblPassword,  lblLocalFolder, lblRemoteFolder};
    for (int i = 0; i < 6; ++i) {
        infoGrid->addWidget(label(info, captions[i].first, QString::fromLatin1(captions[i].second)),
                            i, 0);
        infoGrid->addWidget(values[i], i, 1);
    }
    return info;
}

QGridLayout* TfrmFtpModule::buildLists() {
    tntlbLocal = new QListWidget(this);
    tntlbLocal->setObjectName(QStringLiteral("tntlbLocal"));
    tntlbLocal->setEnabled(false);
    lvRemote = new QTreeWidget(this);
    lvRemote->setObjectName(QStringLiteral("lvRemote"));
    lvRemote->setHeaderHidden(true);
    lvRemote->setRootIsDecorated(false);
    lvRemote->setColumnCount(1);
    auto toolButton = [this](const char* name, const char* hint, QStyle::StandardPixmap icon) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(QString::fromLatin1(hint));
        b->setIcon(style()->standardIcon(icon));
        b->setEnabled(false);
        return b;
    };
    tntSBCreateDirectory =
        toolButton("tntSBCreateDirectory", "Create Directory", QStyle::SP_FileDialogNewFolder);
    tntSBUpOneLevel = toolButton("tntSBUpOneLevel", "Up one level", QStyle::SP_FileDialogToParent);
    tntSBRefresh = toolButton("tntSBRefresh", "Refresh", QStyle::SP_BrowserReload);
    tntlbFolderStatus = label(this, "tntlbFolderStatus",
                              QStringLiteral("This is a empty directory"), "color: red;");
    tntlbFolderStatus->hide();

    auto* lists = new QGridLayout;
    lists->addWidget(label(this, "TntLabel2", QStringLiteral("Local"), Bold), 0, 0);
    auto* remoteHead = new QHBoxLayout;
    remoteHead->addWidget(label(this, "TntLabel3", QStringLiteral("Remote"), Bold));
    remoteHead->addStretch();
    remoteHead->addWidget(tntSBCreateDirectory);
    remoteHead->addWidget(tntSBUpOneLevel);
    remoteHead->addWidget(tntSBRefresh);
    lists->addLayout(remoteHead, 0, 1);
    lists->addWidget(tntlbLocal, 1, 0);
    lists->addWidget(lvRemote, 1, 1);
    lists->addWidget(tntlbFolderStatus, 2, 1);
    return lists;
}

void TfrmFtpModule::buildConnectingPage() {
    QWidget* page = addPage("Connecting");
    auto* l = new QVBoxLayout(page);
    lblConnecting = label(page, "lblConnecting", QStringLiteral("Connecting to %s ..."));
    l->addWidget(lblConnecting);
    l->addStretch();
}

void TfrmFtpModule::buildUploadingPage() {
    QWidget* page = addPage("Uploading");
    auto* l = new QGridLayout(page);
    lblU_From = label(page, "lblU_From");
    lblU_To = label(page, "lblU_To");
    pgU_Progress = new QProgressBar(page);
    pgU_Progress->setObjectName(QStringLiteral("pgU_Progress"));
    pgU_Progress->setRange(0, 1);
    pgU_Progress->setValue(0);
    lblU_FilesCount = label(page, "lblU_FilesCount", {}, Bold);
    lblU_FilesCount->setAlignment(Qt::AlignCenter);
    l->addWidget(label(page, "lblU_From_Text", QStringLiteral("Uploading File")), 0, 0);
    l->addWidget(lblU_From, 0, 1);
    l->addWidget(label(page, "lblU_To_Text", QStringLiteral("To Location")), 1, 0);
    l->addWidget(lblU_To, 1, 1);
    l->addWidget(pgU_Progress, 2, 0, 1, 2);
    l->addWidget(lblU_FilesCount, 3, 0, 1, 2);
}

void TfrmFtpModule::buildFailedPage() {
    QWidget* page = addPage("Failed");
    auto* l = new QVBoxLayout(page);
    l->addWidget(label(page, "lblF_Title", QStringLiteral("Connection Failed"),
                       "color: red; font-weight: bold;"));
    QLabel* d = label(page, "lblF_Description",
                      QStringLiteral("There are problems in connection. Please check your "
                                     "settings in Mainmenu > Options > Ftp Settings."));
    d->setWordWrap(true);
    l->addWidget(d);
    l->addWidget(label(page, "lblF_Reason", QStringLiteral("Reason :")));
    lblF_Error = label(page, "lblF_Error", {}, "color: red;");
    lblF_Error->setWordWrap(true);
    l->addWidget(lblF_Error);
    l->addStretch();
}

void TfrmFtpModule::buildCompletePage() {
    QWidget* page = addPage("Complete");
    auto* l = new QVBoxLayout(page);
    l->addWidget(label(page, "lblC_Title", QStringLiteral("Upload Complete"),
                       "color: green; font-weight: bold;"));
    QLabel* d =
        label(page, "lblC_Description",
              QStringLiteral("All files have been uploaded. The link below is a likely address of "
                             "your page; on a shared server you may need to adjust it. When you "
                             "uploaded into the root folder of your site, try "
                             "http://www.example.com/photogallery.htm"));
    d->setWordWrap(true);
    l->addWidget(d);
    l->addWidget(label(page, "lblC_Url_Text", QStringLiteral("Possible URL :")));
    lblC_Url = link(page, "lblC_Url");
    lblC_Url_suggest = link(page, "lblC_Url_suggest");
    l->addWidget(lblC_Url);
    l->addWidget(lblC_Url_suggest);
    auto* panel = new QWidget(page);
    panel->setObjectName(QStringLiteral("pnlC_ChangeSetting"));
    auto* pl = new QHBoxLayout(panel);
    pl->setContentsMargins(0, 0, 8, 0);
    pl->addStretch();
    pl->addWidget(label(panel, "lblC_ChangeSetting_Text_1", QStringLiteral("Incorrect URL?")));
    lblC_ChangeSetting = link(panel, "lblC_ChangeSetting", QStringLiteral("Click Here"));
    pl->addWidget(lblC_ChangeSetting);
    pl->addWidget(
        label(panel, "lblC_ChangeSetting_Text_2", QStringLiteral("to change your settings")));
    l->addWidget(panel);
    l->addStretch();
    for (QLabel* clickable : {lblC_Url, lblC_Url_suggest, lblC_ChangeSetting})
        clickable->installEventFilter(this);
}

void TfrmFtpModule::buildInitialPage() {
    QWidget* page = addPage("Initial");
    auto* l = new QVBoxLayout(page);
    QLabel* t = label(page, "TntLabel1",
                      QStringLiteral("Please select remote folder before upload your files to "
                                     "web server. If you are already in correct remote "
                                     "folder, click upload to proceed."));
    t->setWordWrap(true);
    l->addWidget(t);
    l->addStretch();
}

void TfrmFtpModule::connectControls() {
    connect(btnStart, &QPushButton::clicked, this, &TfrmFtpModule::btnStartClick);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(lvRemote, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { lvRemoteDblClick(item); });
    connect(tntSBUpOneLevel, &QToolButton::clicked, this, &TfrmFtpModule::tntSBUpOneLevelClick);
    connect(tntSBRefresh, &QToolButton::clicked, this, &TfrmFtpModule::tntSBRefreshClick);
    connect(tntSBCreateDirectory, &QToolButton::clicked, this,
            &TfrmFtpModule::tntSBCreateDirectoryClick);
}

QWidget* TfrmFtpModule::addPage(const char* name) {
    auto* page = new QWidget(nbkStatus);
    page->setObjectName(QString::fromLatin1(name));
    nbkStatus->addWidget(page);
    return page;
}

void TfrmFtpModule::showPage(const char* name) {
    if (auto* page =
            nbkStatus->findChild<QWidget*>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly))
        nbkStatus->setCurrentWidget(page);
}

bool TfrmFtpModule::workerFinished() const {
    return !thread_ || thread_->isFinished();
}

void TfrmFtpModule::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!connectQueued_) {
        connectQueued_ = true;
        // After the window has painted its "Connecting" page.
        QTimer::singleShot(0, this, &TfrmFtpModule::connectServer);
    }
}

void TfrmFtpModule::connectServer() {
    if (session_ || thread_)
        return;
    connectQueued_ = true;
    BusyCursor busy;
    // Taken at the first connection, after the window got its language.
    if (connectingTemplate_.isEmpty())
        connectingTemplate_ = lblConnecting->text();
    lblConnecting->setText(QString(connectingTemplate_).replace(QStringLiteral("%s"), Host));
    showPage("Connecting");
    tntlbLocal->clear();
    const QStringList files = LocalFolderWalk::collectFiles(LocalFolder);
    for (const QString& file : files)
        tntlbLocal->addItem(FtpPaths::visibleName(QDir::toNativeSeparators(u'/' + file)));
    LocalFileCount = static_cast<int>(files.size());
    showFtpInfo();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    ServerWait wait(waitingForServer_);
    try {
        session_ = std::make_unique<FtpSession>(Host, User, Password, TransferMode == u"passive",
                                                port_, Timeout, guiWaiting());
        session_->setMaxIdle(MaxIdle);
        if (RemoteFolder.isEmpty())
            RemoteFolder = FtpPaths::ensureSlashedRemotePath(session_->pwd());
        else
            session_->cwd(RemoteFolder);
        refreshRemoteList();
        showFtpInfo();
        setResultUrls(FtpPaths::webAddress(Host, RemoteFolder, QStringLiteral("index.html")), true);
        setBrowsingEnabled(true);
        btnStart->setEnabled(true);
        showPage("Initial");
    } catch (const FtpError& e) {
        session_.reset();
        showFailed(e.message());
    }
}

void TfrmFtpModule::refreshRemoteList() {
    RemoteListing listing;
    try {
        if (session_)
            listing = RemoteListingParser::parse(session_->list());
    } catch (const FtpError& e) {
        // A folder the server refuses to list shows as empty; a broken connection is a failure.
        if (e.sessionLost())
            throw;
    }
    fillRemoteList(listing);
}

void TfrmFtpModule::fillRemoteList(const RemoteListing& listing) {
    lvRemote->clear();
    const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
    for (const RemoteEntry& entry : listing) {
        auto* item = new QTreeWidgetItem(lvRemote, QStringList{FtpPaths::visibleName(entry.name)});
        item->setIcon(0, entry.isDirectory ? folderIcon : fileIcon);
        item->setData(0, KindRole, entry.isDirectory);
        item->setData(0, NameRole, entry.name);
    }
    tntlbFolderStatus->setVisible(listing.isEmpty());
}

void TfrmFtpModule::updateRemoteFolderFromServer() {
    const QString pwd = session_->pwd();
    RemoteFolder = pwd.endsWith(u'/') ? pwd : pwd + u'/';
    lblRemoteFolder->setText(FtpPaths::visibleName(pwd));
    lblRemoteFolder->setToolTip(lblRemoteFolder->text());
}

bool TfrmFtpModule::browsingAllowed() const {
    return session_ && !thread_ && !Completed && !waitingForServer_;
}

void TfrmFtpModule::setBrowsingEnabled(bool enabled) {
    for (QWidget* w : {static_cast<QWidget*>(tntSBCreateDirectory),
                       static_cast<QWidget*>(tntSBUpOneLevel), static_cast<QWidget*>(tntSBRefresh)})
        w->setEnabled(enabled);
    lvRemote->setEnabled(enabled);
}

void TfrmFtpModule::lvRemoteDblClick(QTreeWidgetItem* item) {
    if (!browsingAllowed() || !item || !item->data(0, KindRole).toBool())
        return;
    BusyCursor busy;
    ServerWait wait(waitingForServer_);
    try {
        session_->cwd(item->data(0, NameRole).toString());
        updateRemoteFolderFromServer();
        refreshRemoteList();
    } catch (const FtpError& e) {
        if (endedSession(e))
            return;
        platform::prompts().message(platform::PromptKind::Error, windowTitle().toStdString(),
                                    FtpPaths::visibleName(e.message()).toStdString(),
                                    {platform::PromptButton::Ok}, platform::PromptButton::Ok);
    }
}

void TfrmFtpModule::tntSBUpOneLevelClick() {
    if (!browsingAllowed())
        return;
    BusyCursor busy;
    ServerWait wait(waitingForServer_);
    try {
        session_->cdup();
        updateRemoteFolderFromServer();
        refreshRemoteList();
    } catch (const FtpError& e) {
        // Already at the top, or the server refuses: the list stays as it is.
        endedSession(e);
    }
}

void TfrmFtpModule::tntSBRefreshClick() {
    if (!browsingAllowed())
        return;
    BusyCursor busy;
    ServerWait wait(waitingForServer_);
    try {
        refreshRemoteList();
    } catch (const FtpError& e) {
        endedSession(e);
    }
}

void TfrmFtpModule::tntSBCreateDirectoryClick() {
    if (!browsingAllowed())
        return;
    const std::optional<QString> answer = askDirectoryName();
    if (!answer)
        return;
    const QString name = answer->trimmed();
    if (name.isEmpty())
        return;
    auto inform = [this](const char* text) {
        platform::prompts().message(platform::PromptKind::Information, windowTitle().toStdString(),
                                    text, {platform::PromptButton::Ok}, platform::PromptButton::Ok);
    };
    for (int i = 0; i < lvRemote->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = lvRemote->topLevelItem(i);
        if (item->data(0, KindRole).toBool() && item->data(0, NameRole).toString() == name) {
            inform("Directory already exist, please select another directory name!");
            return;
        }
    }
    if (!FtpPaths::isPlainFolderName(name)) {
        inform("A directory name cannot be \".\" or \"..\" and cannot hold \"/\", \"\\\" or "
               "control characters.");
        return;
    }
    ServerWait wait(waitingForServer_);
    try {
        session_->mkd(FtpPaths::joinRemote(session_->pwd(), name));
        BusyCursor busy;
        refreshRemoteList();
    } catch (const FtpError& e) {
        if (endedSession(e))
            return;
        inform("Fail to create directory, please check your account permission!");
    }
}

void TfrmFtpModule::showFtpInfo() {
    lblFtpServer->setText(Host);
    lblPort->setText(QString::number(FtpPaths::strToFtpPort(PortText)));
    lblUsername->setText(User);
    lblPassword->setText(FtpPaths::maskPassword(Password));
    lblLocalFolder->setText(FtpPaths::visibleName(QDir::toNativeSeparators(LocalFolder)));
    lblLocalFolder->setToolTip(lblLocalFolder->text());
    lblRemoteFolder->setText(FtpPaths::visibleName(RemoteFolder));
    lblRemoteFolder->setToolTip(lblRemoteFolder->text());
}

void TfrmFtpModule::setResultUrls(const QString& address, bool replacePage) {
    urls_ = FtpPaths::resultUrls(address, replacePage, Host, RemoteFolder);
    lblC_Url->setText(urls_.url);
    lblC_Url->setToolTip(urls_.url);
    lblC_Url_suggest->setText(urls_.suggestion);
    lblC_Url_suggest->setToolTip(urls_.suggestion);
}

void TfrmFtpModule::lblC_ChangeSettingClick() {
    const std::optional<QString> typed = askPublishedUrl(lblC_Url->text());
    if (!typed)
        return;
    // The user's address wins over the one worked out from the folder from now on.
    userSetUrl_ = true;
    setResultUrls(*typed, false);
}

bool TfrmFtpModule::openLink(const QString& text) {
    if (!FtpPaths::isWebAddress(text))
        return false;
    return platform::shellOpen(text.trimmed());
}

bool TfrmFtpModule::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lblC_Url || watched == lblC_Url_suggest) {
            const QString address = static_cast<QLabel*>(watched)->text();
            if (!openLink(address))
                platform::prompts().message(
                    platform::PromptKind::Warning, windowTitle().toStdString(),
                    QStringLiteral("The address \"%1\" cannot be opened in a web browser.")
                        .arg(FtpPaths::visibleName(address.trimmed()))
                        .toStdString(),
                    {platform::PromptButton::Ok}, platform::PromptButton::Ok);
            return true;
        }
        if (watched == lblC_ChangeSetting) {
            lblC_ChangeSettingClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmFtpModule::btnStartClick() {
    if (!session_ || thread_ || waitingForServer_)
        return;
    if (!userSetUrl_)
        setResultUrls(FtpPaths::webAddress(Host, RemoteFolder, QStringLiteral("index.html")), true);
    btnStart->setEnabled(false);
    setBrowsingEnabled(false);
    CanClose = false;
    showPage("Connecting");

    thread_ = std::make_unique<QThread>();
    thread_->setObjectName(QStringLiteral("FtpUpload"));
    // The worker waits without pumping: events belong to this thread.
    session_->setWaiting({{}, abortSwitch_});
    worker_ = std::make_unique<TFtpThread>(std::move(session_), LocalFolder, LocalFileCount,
                                           cancelRequested_);
    worker_->moveToThread(thread_.get());
    QThread* thread = thread_.get();
    TFtpThread* worker = worker_.get();
    connect(thread, &QThread::started, worker, [worker, thread] {
        worker->run();
        thread->quit();
    });
    connect(worker, &TFtpThread::uploading, this, &TfrmFtpModule::showUploading,
            Qt::QueuedConnection);
    connect(worker, &TFtpThread::completed, this, &TfrmFtpModule::showComplete,
            Qt::QueuedConnection);
    connect(worker, &TFtpThread::failed, this, &TfrmFtpModule::showFailed, Qt::QueuedConnection);
    thread_->start();
}

void TfrmFtpModule::showUploading(int fileIndex, int fileCount, const QString& currentFile) {
    if (cancelRequested_->load())
        return;
    pendingProgress_ = UploadProgress{fileIndex, fileCount, currentFile};
    // The first report shows at once, later ones at most every ProgressMs.
    if (!progressTimer_->isActive()) {
        showPendingProgress();
        progressTimer_->start();
    }
}

void TfrmFtpModule::showPendingProgress() {
    if (!pendingProgress_) {
        progressTimer_->stop();
        return;
    }
    const UploadProgress p = *std::exchange(pendingProgress_, std::nullopt);
    if (cancelRequested_->load())
        return;
    lblU_From->setText(FtpPaths::visibleName(QDir::toNativeSeparators(LocalFolder + p.file)));
    lblU_From->setToolTip(lblU_From->text());
    lblU_To->setText(FtpPaths::visibleName(RemoteFolder + p.file));
    lblU_To->setToolTip(lblU_To->text());
    // Files added after the count was taken must not push the bar out of its range.
    pgU_Progress->setRange(0, std::max(p.count, 1));
    pgU_Progress->setValue(std::clamp(p.index, 0, std::max(p.count, 1)));
    lblU_FilesCount->setText(
        PublishTexts::fillIn(PublishTexts::string(303, QStringLiteral("(%s of %s)")),
                             {QString::number(p.index), QString::number(p.count)}));
    showPage("Uploading");
}

void TfrmFtpModule::showComplete(const RemoteListing& listing) {
    if (cancelRequested_->load())
        return;
    showPendingProgress();
    fillRemoteList(listing);
    setBrowsingEnabled(false);
    CanClose = true;
    Completed = true;
    showPage("Complete");
    btnClose->setText(PublishTexts::string(302, QStringLiteral("Close")));
    btnClose->setFocus();
}

void TfrmFtpModule::showFailed(const QString& message) {
    if (cancelRequested_->load())
        return;
    showPendingProgress();
    CanClose = true;
    Completed = false;
    lblF_Error->setText(FtpPaths::visibleName(message));
    showPage("Failed");
    btnStart->setEnabled(false);
    setBrowsingEnabled(false);
    btnClose->setText(PublishTexts::string(302, QStringLiteral("Close")));
}

void TfrmFtpModule::done(int result) {
    if (!CanClose) {
        const auto answer = platform::prompts().message(
            platform::PromptKind::Confirmation, windowTitle().toStdString(),
            PublishTexts::message(309, QStringLiteral("Upload is still in progress.\r\nAre you "
                                                      "sure you want to exit?"))
                .toStdString(),
            {platform::PromptButton::Ok, platform::PromptButton::Cancel},
            platform::PromptButton::Ok);
        if (answer != platform::PromptButton::Ok)
            return;
        cancelRequested_->store(true);
        if (worker_)
            disconnect(worker_.get(), nullptr, this, nullptr);
    }
    // A wait of this thread for the server ends at once; its handler then finds the window
    // closed.
    if (waitingForServer_)
        abortSwitch_->trip();
    QDialog::done(result);
}

} // namespace publish
