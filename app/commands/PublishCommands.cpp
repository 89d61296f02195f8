#include "app/commands/PublishCommands.h"

#include "app/BusyState.h"
#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/SettingsFile.h"
#include "app/commands/CommandGuard.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/ProgressScope.h"
#include "app/dialogs/frmProgress.h"
#include "app/l10n/Localization.h"

#include "model/FileRoutines.h"
#include "model/FolderLayout.h"
#include "model/document/Album.h"
#include "platform/sys/Prompts.h"
#include "publish/HandlerGuard.h"
#include "publish/preview/LoopbackServer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace app {

namespace {

const QString kBaseFolder = QStringLiteral("pictavo/");
const QString kPageName = QStringLiteral("photogallery.htm");

// What only the editor uses: never part of a published album, and never touched there.
const QStringList kEditorOnlyFiles = {QStringLiteral("index.html"), QStringLiteral("album.xml"),
                                      QStringLiteral("thumb.jpg"),
                                      QStringLiteral("AC_RunActiveContent.js")};

QString resolved(const QString& folder) {
    const QFileInfo info(folder);
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}

} // namespace

PublishCommands::PublishCommands(EditorContext& editor, const MainActions& actions,
                                 FtpSettingsEditor editFtpSettings, PublishingDialog showPublishing,
                                 UploadWindow showUploadWindow, QObject* parent)
    : QObject(parent), editor_(editor), editFtpSettings_(std::move(editFtpSettings)),
      showPublishing_(std::move(showPublishing)), showUploadWindow_(std::move(showUploadWindow)) {
    onTriggered(actions.acOptionsFtpSetting, this, [this] { acOptionsFtpSettingExecute(); });
    onTriggered(actions.acFilePublish, this, [this] {
        PublishAlbum();
        editor_.UpdateActions();
    });
    onTriggered(actions.acViewPreviewInBrowser, this, [this] { acViewPreviewInBrowserExecute(); });
}

void PublishCommands::acOptionsFtpSettingExecute() {
    editFtpSettings();
}

bool PublishCommands::editFtpSettings() {
    FtpDefaults values = editor_.ftpDefaults();
    if (!editFtpSettings_ || !editFtpSettings_(values))
        return false;
    editor_.ftpDefaults() = values;
    bool diskFull = false;
    const QString path = editor_.settingsFile().path();
    if (!editor_.settingsFile().write(values, &diskFull))
        showError(diskFull
                      ? publish::diskFullText(QDir::toNativeSeparators(path))
                      : MessageBoxes::message(209, QStringLiteral("Cannot write \"%s\"."), {path}));
    return true;
}

void PublishCommands::writePreviewFiles() {
    const model::FolderLayout& f = model::Folders();
    editor_.album().SaveToXml(f.PreviewFolder + QStringLiteral("data.xml"));
    editor_.album().WriteIndexHtml(f.PreviewFolder + QStringLiteral("index.html"),
                                   f.FilesFolder + QStringLiteral("index.html"), QString());
}

bool PublishCommands::insideWorkingArea(const QString& folder) {
    const QString data = model::Folders().DataFolder;
    if (data.isEmpty())
        return false;
    const QString area = resolved(data);
    const QString target = resolved(folder);
    return target == area || target.startsWith(area + u'/');
}

QString PublishCommands::copyFailureText(const QString& target, const QStringList& failed) {
    constexpr int kShown = 5;
    QStringList lines;
    for (qsizetype i = 0; i < failed.size() && i < kShown; ++i)
        lines << QDir::toNativeSeparators(failed[i]);
    if (failed.size() > kShown)
        lines << MessageBoxes::message(312, QStringLiteral("... and %d more"),
                                       {qlonglong(failed.size() - kShown)});
    return MessageBoxes::message(
        311,
        QStringLiteral("The album was not published completely into "
                       "\"%s\": %d file(s) could not be copied:\n%s"),
        {QDir::toNativeSeparators(target), qlonglong(failed.size()), lines.join(u'\n')});
}

publish::PublishingValues PublishCommands::publishingValues(const QString& folder) const {
    publish::PublishingValues v;
    editor_.album().GetAlbumSize(v.AlbumWidth, v.AlbumHeight);
    v.BaseFolder = kBaseFolder;
    v.EmbedSymbol = QStringLiteral("{brimlo_lumivex}");
    // The embed templates sit beside the page template.
    v.EmbedPageFile = model::Folders().FilesFolder + QStringLiteral("embed_page.htm");
    v.EmbedPageNoJsFile = model::Folders().FilesFolder + QStringLiteral("embed_page_nojs.htm");
    v.WidthToken = QStringLiteral("%_album_width_%");
    v.HeightToken = QStringLiteral("%_album_height_%");
    v.BaseFolderToken = QStringLiteral("%_album_base_folder_%");
    v.PublishFolder = folder;
    return v;
}

bool PublishCommands::PublishAlbum() {
    pumpMessages();
    model::FolderLayout& folders = model::Folders();
    const std::optional<std::string> chosen = platform::prompts().pickFolder(
        Localization()
            .GetMessage(23, QStringLiteral("Select a folder to store the published files of your "
                                           "Photo Album:"))
            .toStdString(),
        folders.LastPublishFolder.toStdString());
    if (!chosen || chosen->empty())
        return false;
    pumpMessages();
    const QString target = model::WithTrailingSlash(QString::fromStdString(*chosen));
    // Output inside the working area would be saved into the album, published into itself
    // again and deleted when the album closes.
    if (insideWorkingArea(target)) {
        showError(MessageBoxes::message(210,
                                        QStringLiteral("\"%s\" belongs to the editor's working "
                                                       "folder. Please choose another folder to "
                                                       "publish into."),
                                        {QDir::toNativeSeparators(target)}));
        return false;
    }
    // Publishing writes only its own files: through a link it would write, and replace files,
    // wherever the link leads.
    for (const QString& own : {kPageName, kBaseFolder.chopped(1)}) {
        if (QFileInfo(target + own).isSymLink()) {
            showError(MessageBoxes::message(
                29,
                QStringLiteral("\"%s\" is a link to another place. Please remove it or choose "
                               "another folder to publish into."),
                {QDir::toNativeSeparators(target + own)}));
            return false;
        }
    }
    folders.LastPublishFolder = target;
    QString failure;
    const bool published = publishInto(target, failure);
    // Shown once the progress window has gone.
    if (!failure.isEmpty())
        showError(failure);
    return published;
}

bool PublishCommands::publishInto(const QString& target, QString& failure) {
    model::FolderLayout& folders = model::Folders();
    model::TpaAlbum& album = editor_.album();
    const QString displayName =
        album.FileName.isEmpty() ? album.GetAlbumName() : QFileInfo(album.FileName).fileName();
    TfrmProgress& window = editor_.progressWindow();
    ProgressScope progress(editor_.busyState(), window,
                           Localization().GetString(11, QStringLiteral("Publishing Album")),
                           Localization().Format(TextKind::Strings, 12,
                                                 QStringLiteral("Publishing album \"%s\" ..."),
                                                 {displayName}));

    writePreviewFiles();
    const QString site = target + kBaseFolder;
    model::FileProgress callbacks;
    callbacks.progress = [&window](int percent) { window.setPosition(percent); };
    callbacks.cancelled = [&progress] { return progress.cancelled(); };
    callbacks.pump = [] { pumpMessages(); };
    const model::CopyResult copied =
        model::CopyFolderCancelable(folders.PreviewFolder, site, callbacks, kEditorOnlyFiles);
    if (copied.status == model::CopyResult::Status::Cancelled)
        return false;
    if (copied.status == model::CopyResult::Status::Failed) {
        failure = copyFailureText(target, copied.failedPaths);
        if (copied.diskFull) // the list of files alone does not say why
            failure = publish::diskFullText(QDir::toNativeSeparators(copied.diskFullPath)) + u'\n' +
                      failure;
        return false;
    }
    // The page comes last: a publish that fails leaves no page of its own pointing at an
    // incomplete album, and the page of an earlier publish stays as it was.
    {
        // The base folder is the published page's only while it is written, whatever happens.
        model::AlbumBaseFolderScope base(kBaseFolder);
        album.WriteIndexHtml(target + kPageName, folders.FilesFolder + QStringLiteral("index.html"),
                             folders.AlbumBaseFolder);
    }

    pumpMessages();
    if (showPublishing_) {
        publish::PublishingHooks hooks;
        hooks.FtpAccount = [this] { return editor_.ftpDefaults(); };
        hooks.EditFtpSettings = [this] { return editFtpSettings(); };
        hooks.ShowUploadWindow = showUploadWindow_;
        // The progress window stays open behind the dialog until it closes; the dialog itself
        // is not busy and shows the ordinary pointer.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        struct CursorBack {
            ~CursorBack() { QApplication::restoreOverrideCursor(); }
        } cursorBack;
        showPublishing_(publishingValues(target), std::move(hooks));
        pumpMessages();
    }
    return true;
}

void PublishCommands::acViewPreviewInBrowserExecute() {
    pumpMessages();
    BusyScope busy(editor_.busyState());
    writePreviewFiles();
    // Browsers do not let a page opened from the disk read its album: the editor serves it.
    publish::LoopbackServer::openInBrowser(model::Folders().PreviewFolder +
                                           QStringLiteral("index.html"));
}

} // namespace app
