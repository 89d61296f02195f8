#include "app/commands/FileCommands.h"

#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/commands/CommandGuard.h"
#include "app/commands/FailedMemberRecorder.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/ProgressScope.h"
#include "app/dialogs/frmProgress.h"
#include "app/dialogs/frmStartupWizard.h"
#include "app/l10n/ApplicationForms.h"
#include "app/l10n/Localization.h"
#include "app/pages/PreviewPane.h"

#include "model/Errors.h"
#include "model/FileRoutines.h"
#include "model/FolderLayout.h"
#include "model/ReplacedFile.h"
#include "model/TextRoutines.h"
#include "model/document/Album.h"
#include "model/document/AlbumUnpackLimits.h"
#include "model/document/LeftOutFiles.h"
#include "model/document/RecentItems.h"
#include "platform/sys/Prompts.h"
#include "publish/HandlerGuard.h"
#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStorageInfo>
#include <QUrl>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace app {

namespace {

using platform::PromptButton;
using platform::PromptKind;

// A box, then the queue pumped so the window repaints where the box was.
PromptButton ask(PromptKind kind, const QString& text, const std::vector<PromptButton>& buttons,
                 PromptButton defaultButton) {
    const PromptButton answer = MessageBoxes::ask(kind, text, buttons, defaultButton);
    pumpMessages();
    return answer;
}

QString message(int number, const QString& english, const QString& argument) {
    return MessageBoxes::message(number, english, {argument});
}

QString shortName(const QString& fileName) {
    return QFileInfo(fileName).fileName();
}

QString absolute(const QString& fileName) {
    return QDir::cleanPath(QFileInfo(fileName).absoluteFilePath());
}

void clearWorkingFolders() {
    const model::FolderLayout& f = model::Folders();
    model::ClearFolder(f.PreviewFolder);
    model::ClearFolder(f.ThumbsFolder);
}

// Empties the working folders when the scope ends before commit(): an album half unpacked or
// half copied must not be merged into the next one.
class WorkingFoldersGuard {
public:
    WorkingFoldersGuard() = default;
    ~WorkingFoldersGuard() {
        if (!committed_)
            clearWorkingFolders();
    }
    WorkingFoldersGuard(const WorkingFoldersGuard&) = delete;
    WorkingFoldersGuard& operator=(const WorkingFoldersGuard&) = delete;
    void commit() { committed_ = true; }

private:
    bool committed_ = false;
};

// Why the archiver did not finish, in words.
QString outcomeText(const zip::TZAOutcome& outcome) {
    if (!outcome.LastError.empty())
        return QString::fromStdString(outcome.LastError);
    if (outcome.Failed > 0)
        return QStringLiteral("%1 file(s) could not be read.").arg(outcome.Failed);
    return QStringLiteral("The operation was aborted.");
}

// Loads the album from folder's "data.xml". A damaged file is reported in the words of what the
// user chose (the album file, the template): the copy in the working folder means nothing to
// them, so the folder is left out of the details.
void loadAlbumXml(model::TpaAlbum& album, const QString& folder,
                  const std::function<QString(const QString&)>& failure) {
    try {
        album.LoadFromXml(folder + QStringLiteral("data.xml"));
    } catch (const model::ModelError& e) {
        QString detail = e.message();
        detail.replace(QDir::toNativeSeparators(folder), QString());
        throw model::XmlLoadError(failure(detail));
    }
}

// The album file the user chose could not be opened, for the reason given.
QString openFailure(const QString& chosen, const QString& reason) {
    return MessageBoxes::message(
        120, QStringLiteral("The album file \"%s\" could not be opened: %s"), {chosen, reason});
}

// The data folder has too little room for an album that unpacks to `claimed` bytes, of which
// `room` may be unpacked there (its free space less what is kept for thumbnails).
QString tooLittleRoomText(const QString& folder, qint64 claimed, qint64 room) {
    const QStorageInfo disk(folder);
    const qint64 available = disk.isValid() ? std::max<qint64>(disk.bytesAvailable(), 0) : 0;
    const qint64 needed = claimed + std::max<qint64>(available - room, 0);
    return MessageBoxes::message(
        313,
        QStringLiteral("There is not enough room in the folder \"%s\": the album needs %s bytes "
                       "there, and %s bytes are free. Make room and try again."),
        {QDir::toNativeSeparators(folder), QString::number(needed), QString::number(available)});
}

// Whether the job ended by the user's Cancel. A failure before the archive was opened leaves
// the last job's outcome in place, so the outcome counts only when nothing was thrown.
bool jobCancelled(const ProgressScope& scope, const zip::TZipArchiver& archiver,
                  const QString& engineError) {
    return scope.cancelled() || (engineError.isEmpty() && archiver.LastOutcome().Status ==
                                                              zip::TZAOutcome::Result::Cancelled);
}

// Whether everything was unpacked but the members the user chose to leave out (Ignore in the
// failure box): the rest of the album is still worth opening.
bool onlySkipped(const zip::TZAOutcome& outcome) {
    return outcome.Status == zip::TZAOutcome::Result::Incomplete && !outcome.Recovered &&
           !outcome.Skipped.empty() && outcome.Failed == int(outcome.Skipped.size());
}

// One box after an album opened with losses: the members left out, by name, and the pictures
// that could not be read.
void reportLosses(const QString& chosen, const std::vector<std::string>& skipped, int unreadable) {
    constexpr std::size_t shown = 10;
    QStringList parts;
    if (!skipped.empty()) {
        QStringList names;
        for (std::size_t i = 0; i < skipped.size() && i < shown; ++i)
            names << QString::fromStdString(skipped[i]);
        if (skipped.size() > shown)
            names << QStringLiteral("…");
        parts << MessageBoxes::message(
            232,
            QStringLiteral("The album file \"%s\" is damaged. These files of it could not be "
                           "read and were left out:\n%s\nSaving the album stores it without "
                           "them."),
            {chosen, names.join(u'\n')});
    }
    if (unreadable > 0)
        parts << MessageBoxes::message(
            201,
            QStringLiteral("%d picture(s) of the album could not be read. A stand-in picture is "
                           "shown in their place."),
            {qlonglong(unreadable)});
    if (!parts.isEmpty())
        ask(PromptKind::Warning, parts.join(QStringLiteral("\n\n")), {PromptButton::Ok},
            PromptButton::Ok);
}

// Whether the album's own data was among the members left out.
bool leftOutDataFile(const std::vector<std::string>& skipped) {
    return std::ranges::count(skipped, std::string("data.xml")) > 0;
}

// The album's data could not be read from the file: the member named, whatever the user chose.
QString damagedDataFile(const QString& chosen) {
    return MessageBoxes::message(
        233,
        QStringLiteral("The album file \"%s\" is damaged: its \"%s\", which holds the album, "
                       "could not be read. It was not opened."),
        {chosen, QStringLiteral("data.xml")});
}

// A sentence as the engine may leave it without its full stop.
QString sentence(QString text) {
    text = text.trimmed();
    if (!text.isEmpty() && !text.endsWith(u'.') && !text.endsWith(u'!') && !text.endsWith(u'?'))
        text += u'.';
    return text;
}

} // namespace

FileCommands::FileCommands(EditorContext& editor, const MainActions& actions, QObject* parent)
    : QObject(parent), editor_(editor), actions_(actions) {
    onTriggered(actions.acFileExit, this, [this] {
        pumpMessages();
        editor_.dialogParent()->close();
    });
    onTriggered(actions.acFileClose, this, [this] { CloseAlbum(); });
    onTriggered(actions.acFileNew, this, [this] { NewAlbum(std::nullopt); });
    onTriggered(actions.acFileOpen, this, [this] { OpenAlbum(QString()); });
    onTriggered(actions.acFileSave, this, [this] {
        SaveAlbum();
        editor_.UpdateActions();
    });
    onTriggered(actions.acFileSaveAs, this, [this] {
        SaveAlbumAs();
        editor_.UpdateActions();
    });
}

TfrmImportTemplate& FileCommands::chooser() {
    return requiredForm<TfrmImportTemplate>(editor_.forms(), "frmImportTemplate");
}

TfrmStartupWizard& FileCommands::wizard() {
    return requiredForm<TfrmStartupWizard>(editor_.forms(), "frmStartupWizard");
}

std::optional<bool> FileCommands::savePrompt() {
    model::TpaAlbum& album = editor_.album();
    if (!album.Modified())
        return true;
    const PromptButton answer =
        ask(PromptKind::Confirmation,
            message(1, QStringLiteral("Save changes to album \"%s\" ?"),
                    model::StripTags(album.GetAlbumName())),
            {PromptButton::Yes, PromptButton::No, PromptButton::Cancel}, PromptButton::Yes);
    if (answer == PromptButton::Yes)
        return SaveAlbum();
    if (answer == PromptButton::No)
        return true;
    return std::nullopt;
}

std::optional<QString> FileCommands::askOpenFile() {
    pumpMessages();
    const FileDialogSettings* dialog = actions_.OpenDialog1;
    const QString title = dialog && !dialog->Title.isEmpty()
                              ? dialog->Title
                              : QCoreApplication::translate("QFileDialog", "Open");
    const QString filter = dialog ? dialog->Filter : QStringLiteral("ZIP Files (*.zip)|*.zip");
    const QString folder = dialog ? dialog->InitialDir : QString();
    const std::optional<std::string> file = platform::prompts().openFile(
        title.toStdString(), filter.toStdString(), folder.toStdString());
    if (!file)
        return std::nullopt;
    pumpMessages();
    return QString::fromStdString(*file);
}

bool FileCommands::refuseWorkingArea(const QString& fileName) {
    // Everything below the data folder is deleted when the album closes; a file kept there
    // would be lost with it (or, opened, emptied before it is read).
    // A link is judged by where it leads: writing through it would put the album there.
    const QString data = QDir::cleanPath(model::Folders().DataFolder);
    const QString path = model::ResolveLinkedPath(fileName);
    const QString canonicalData = QFileInfo(data).canonicalFilePath();
    for (const QString& root : {data, canonicalData}) {
        if (!root.isEmpty() && (path == root || path.startsWith(root + u'/'))) {
            showError(MessageBoxes::message(
                202,
                QStringLiteral("The album file \"%s\" is inside the working folder \"%s\", "
                               "which is emptied whenever an album closes. Choose a file in "
                               "another folder."),
                {QDir::toNativeSeparators(fileName), QDir::toNativeSeparators(data)}));
            return true;
        }
    }
    return false;
}

bool FileCommands::saveTo(const QString& fileName) {
    if (refuseWorkingArea(fileName))
        return false;
    model::TpaAlbum& album = editor_.album();
    zip::TZipArchiver& archiver = editor_.archiver();
    const model::FolderLayout& f = model::Folders();
    bool written = false;
    bool cancelled = false;
    bool diskFull = false;
    const bool replacing = QFileInfo::exists(fileName);
    QString engineError;
    {
        ProgressScope scope(editor_.busyState(), editor_.progressWindow(),
                            Localization().GetString(9, QStringLiteral("Saving Album")),
                            Localization().Format(TextKind::Strings, 10,
                                                  QStringLiteral("Saving album \"%s\" ..."),
                                                  {shortName(fileName)}));
        QDir().mkpath(f.PreviewFolder);
        album.SaveToXml(f.PreviewFolder + QStringLiteral("data.xml"));
        album.WriteIndexHtml(f.PreviewFolder + QStringLiteral("index.html"),
                             f.FilesFolder + QStringLiteral("index.html"), QString());
        // The engine's texts say only that a write failed; the system's reason travels with
        // the failure, whatever boxes were answered since.
        try {
            written =
                zip::ZipFolder(archiver, f.PreviewFolder.toStdString(), fileName.toStdString());
        } catch (const std::exception& e) {
            diskFull = model::IsDiskFullErrno(systemErrorOf(e));
            engineError = QString::fromUtf8(e.what());
        }
        // A job that ran reports through its outcome (after Abort, say); one that threw, through
        // what it threw.
        if (!written && engineError.isEmpty())
            diskFull = model::IsDiskFullErrno(archiver.LastOutcome().SystemError);
        cancelled = jobCancelled(scope, archiver, engineError);
    }
    if (written && !cancelled)
        return true;
    const QString name = QDir::toNativeSeparators(fileName);
    QString text =
        cancelled
            ? MessageBoxes::message(
                  124, QStringLiteral("Saving was cancelled: the album was not saved to \"%s\"."),
                  {name})
            : MessageBoxes::message(122, QStringLiteral("The album could not be saved to \"%s\"."),
                                    {name}) +
                  u' ' +
                  (diskFull ? publish::diskFullText(name)
                            : sentence(engineError.isEmpty() ? outcomeText(archiver.LastOutcome())
                                                             : engineError));
    if (replacing)
        text += u' ' + MessageBoxes::message(123, QStringLiteral("The file keeps its previous "
                                                                 "contents."));
    if (cancelled) // the user's own choice, not an error
        MessageBoxes::inform(text);
    else
        showError(text);
    return false;
}

bool FileCommands::SaveAlbum() {
    pumpMessages();
    model::TpaAlbum& album = editor_.album();
    if (!album.Tree().Root())
        return false;
    if (album.FileName.isEmpty())
        return SaveAlbumAs();
    if (!saveTo(album.FileName))
        return false;
    album.SetModified(false);
    return true;
}

bool FileCommands::SaveAlbumAs() {
    pumpMessages();
    model::TpaAlbum& album = editor_.album();
    if (!album.Tree().Root())
        return false;
    const QString proposed =
        !album.FileName.isEmpty()
            ? album.FileName
            : model::RemoveInvalidFileNameChars(model::StripTags(album.GetAlbumName()));
    FileDialogSettings* dialog = actions_.SaveDialog1;
    QString initial = proposed;
    if (dialog && album.FileName.isEmpty() && !dialog->InitialDir.isEmpty())
        initial = model::WithTrailingSlash(dialog->InitialDir) + proposed;
    const QString title = dialog && !dialog->Title.isEmpty()
                              ? dialog->Title
                              : QCoreApplication::translate("QFileDialog", "Save As");
    const std::optional<std::string> chosen = platform::prompts().saveFile(
        title.toStdString(),
        (dialog ? dialog->Filter : QStringLiteral("ZIP Files (*.zip)|*.zip")).toStdString(),
        initial.toStdString(), (dialog ? dialog->DefaultExt : QStringLiteral("zip")).toStdString());
    if (!chosen || chosen->empty())
        return false;
    pumpMessages();
    const QString fileName = absolute(QString::fromStdString(*chosen));
    if (dialog) {
        dialog->FileName = fileName;
        dialog->InitialDir = QFileInfo(fileName).path();
    }
    if (QFileInfo::exists(fileName) &&
        ask(PromptKind::Confirmation,
            message(4, QStringLiteral("File \"%s\" already exists. Overwrite ?"),
                    QDir::toNativeSeparators(fileName)),
            {PromptButton::Yes, PromptButton::No}, PromptButton::No) != PromptButton::Yes)
        return false;
    if (!saveTo(fileName))
        return false;
    album.FileName = fileName;
    album.SetModified(false);
    editor_.recent().Add(fileName);
    editor_.RebuildRecentMenus();
    editor_.UpdateCaption(shortName(fileName));
    return true;
}

bool FileCommands::CloseAlbum() {
    pumpMessages();
    const std::optional<bool> saved = savePrompt();
    if (!saved)
        return false;
    if (!*saved) {
        editor_.UpdateActions();
        return false;
    }
    {
        BusyScope busy(editor_.busyState());
        model::TpaAlbum& album = editor_.album();
        model::ClearFolder(model::Folders().DataFolder);
        editor_.selectNode(nullptr);
        album.Tree().Clear();
        editor_.preview().navigate(QUrl());
        album.FileName.clear();
        album.SetModified(false);
        editor_.UpdateCaption();
    }
    editor_.UpdateActions();
    return true;
}

bool FileCommands::loadAlbumFile(const QString& fileName) {
    if (refuseWorkingArea(fileName))
        return false;
    model::TpaAlbum& album = editor_.album();
    zip::TZipArchiver& archiver = editor_.archiver();
    const model::FolderLayout& f = model::Folders();
    // Whatever an earlier album or a crashed run left there would be merged into this one.
    clearWorkingFolders();
    WorkingFoldersGuard cleanup;
    bool unpacked = false;
    bool cancelled = false;
    int unreadable = 0;               // pictures that got no thumbnail
    std::vector<std::string> skipped; // damaged members the user chose to leave out
    QString engineError;
    std::string failedMember; // the member the user was asked about last
    {
        ProgressScope scope(editor_.busyState(), editor_.progressWindow(),
                            Localization().GetString(7, QStringLiteral("Opening Album")),
                            Localization().Format(TextKind::Strings, 8,
                                                  QStringLiteral("Opening album \"%s\" ..."),
                                                  {shortName(fileName)}));
        QDir().mkpath(f.PreviewFolder);
        QDir().mkpath(f.ThumbsFolder);
        {
            FailedMemberRecorder recorder(archiver);
            const zip::TZAUnpackLimits limits = model::AlbumUnpackLimits(f.DataFolder);
            try {
                unpacked = zip::UnzipAll(archiver, fileName.toStdString(),
                                         f.PreviewFolder.toStdString(), limits);
            } catch (const std::exception& e) {
                engineError = QString::fromUtf8(e.what());
                // Refused before a byte was written because the album is larger than the room
                // the data folder has: no fault of the file, so the user hears what it needs.
                const auto* engine = dynamic_cast<const zip::EZAException*>(&e);
                if (engine && engine->Is(zip::ZAError::UnpackLimit) &&
                    archiver.LastOutcome().Claimed > 0)
                    engineError = tooLittleRoomText(f.DataFolder, archiver.LastOutcome().Claimed,
                                                    limits.Total);
                else if (model::IsDiskFullErrno(systemErrorOf(e)))
                    engineError = publish::diskFullText(QDir::toNativeSeparators(f.PreviewFolder));
            }
            failedMember = recorder.lastFailed();
        }
        cancelled = jobCancelled(scope, archiver, engineError);
        // A member that found the disk full, whatever was answered about it: the album would
        // open without it, so it is not opened, and the disk is named.
        if (!cancelled && engineError.isEmpty() && !failedMember.empty() &&
            model::IsDiskFullErrno(archiver.LastOutcome().SystemError)) {
            engineError = publish::diskFullText(
                QDir::toNativeSeparators(f.PreviewFolder + QString::fromStdString(failedMember)));
            unpacked = false;
        }
        if (!unpacked && !cancelled && engineError.isEmpty() &&
            onlySkipped(archiver.LastOutcome())) {
            skipped = archiver.LastOutcome().Skipped;
            unpacked = true;
        }
        if (unpacked && !cancelled &&
            QFileInfo(f.PreviewFolder + QStringLiteral("data.xml")).isFile()) {
            const QString chosen = QDir::toNativeSeparators(fileName);
            loadAlbumXml(album, f.PreviewFolder,
                         [&chosen](const QString& detail) { return openFailure(chosen, detail); });
            // Nothing saved or published may refer to what was left out.
            if (!skipped.empty()) {
                QSet<QString> names;
                for (const std::string& name : skipped)
                    names.insert(QString::fromStdString(name));
                model::TpaLeftOutFiles(names, f).Repair(album.Tree());
            }
            unreadable =
                album.RebuildThumbnails(album.Tree().Root(), f.ThumbsFolder, f.PreviewFolder,
                                        model::TpaAlbum::LevelThumbnailBox, pumpMessages);
            pumpMessages();
        }
    }
    if (!unpacked || cancelled || !album.Tree().Root()) {
        album.Tree().Clear();
        const QString name = QDir::toNativeSeparators(fileName);
        if (cancelled) // the user's own choice, not an error
            MessageBoxes::inform(MessageBoxes::message(
                125, QStringLiteral("Opening \"%s\" was cancelled. No album is open."), {name}));
        else if (archiver.LastOutcome().Recovered)
            showError(MessageBoxes::message(
                206,
                QStringLiteral("The album file \"%s\" is damaged: files of the album may be "
                               "missing from it. It was not opened."),
                {name}));
        else if (!engineError.isEmpty())
            showError(openFailure(name, engineError));
        else if (failedMember == "data.xml")
            showError(damagedDataFile(name));
        else if (!failedMember.empty())
            showError(openFailure(name, QStringLiteral("\"%1\": %2")
                                            .arg(QString::fromStdString(failedMember),
                                                 sentence(outcomeText(archiver.LastOutcome())))));
        else if (unpacked && leftOutDataFile(skipped))
            showError(damagedDataFile(name));
        else if (unpacked)
            showError(MessageBoxes::message(
                208, QStringLiteral("The album file \"%s\" holds no album."), {name}));
        else
            showError(openFailure(name, outcomeText(archiver.LastOutcome())));
        return false;
    }
    cleanup.commit();
    album.FileName = fileName;
    // What was left out differs from the file: a save writes the album without it.
    album.SetModified(!skipped.empty());
    editor_.recent().Add(fileName);
    editor_.RebuildRecentMenus();
    editor_.UpdateCaption(shortName(fileName));
    editor_.selectNode(album.Tree().Root());
    reportLosses(QDir::toNativeSeparators(fileName), skipped, unreadable);
    return true;
}

bool FileCommands::OpenAlbum(const QString& name) {
    pumpMessages();
    bool result = false;
    const std::optional<bool> saved = savePrompt();
    if (!saved)
        return false;
    if (*saved) {
        std::optional<QString> fileName = name;
        if (name.isEmpty())
            fileName = askOpenFile();
        if (fileName && !fileName->isEmpty()) {
            const QString path = absolute(*fileName);
            if (!QFileInfo(path).isFile()) {
                ask(PromptKind::Error,
                    message(5, QStringLiteral("File \"%s\" does not exist."),
                            QDir::toNativeSeparators(path)),
                    {PromptButton::Ok}, PromptButton::Ok);
            } else {
                if (editor_.album().Tree().Root()) {
                    // Asked once already.
                    editor_.album().SetModified(false);
                    CloseAlbum();
                }
                result = loadAlbumFile(path);
            }
        }
    }
    editor_.UpdateActions();
    return result;
}

bool FileCommands::OpenRecentAlbum(const QString& fileName) {
    pumpMessages();
    bool result = false;
    const QString path = absolute(fileName);
    if (!QFileInfo(path).isFile()) {
        if (ask(PromptKind::Warning,
                message(6, QStringLiteral("File \"%s\" does not exist. Open another file?"),
                        QDir::toNativeSeparators(path)),
                {PromptButton::Yes, PromptButton::No}, PromptButton::Yes) == PromptButton::Yes)
            result = OpenAlbum(QString());
    } else if (!editor_.album().Tree().Root() || CloseAlbum()) {
        result = loadAlbumFile(path);
    }
    editor_.UpdateActions();
    return result;
}

bool FileCommands::NewAlbum(std::optional<TemplateEntry> albumTemplate) {
    pumpMessages();
    const std::optional<bool> saved = savePrompt();
    if (!saved)
        return false;
    bool result = false;
    const model::FolderLayout& f = model::Folders();
    if (*saved && !albumTemplate) {
        TfrmImportTemplate& dialog = chooser();
        {
            BusyScope busy(editor_.busyState());
            dialog.Prepare(f.TemplatesFolder);
        }
        if (dialog.exec() == QDialog::Accepted && dialog.SelectedTemplate) {
            pumpMessages();
            albumTemplate = dialog.SelectedTemplate;
        }
    }
    if (*saved && albumTemplate) {
        pumpMessages();
        model::TpaAlbum& album = editor_.album();
        album.SetModified(false);
        if (CloseAlbum()) {
            {
                BusyScope busy(editor_.busyState());
                WorkingFoldersGuard cleanup;
                const model::CopyResult copied =
                    model::CopyFolder(albumTemplate->path, f.PreviewFolder);
                // A full disk is named by the file of the album that could not be written,
                // not by the template's, which is whole.
                if (copied.diskFull) {
                    const QString written = QDir::toNativeSeparators(copied.diskFullPath);
                    throw model::DiskFullError(publish::diskFullText(written), written);
                }
                if (!copied.done())
                    throw model::FileError(MessageBoxes::message(
                        318, QStringLiteral("The template \"%s\" could not be copied: %s"),
                        {albumTemplate->name,
                         QDir::toNativeSeparators(copied.failedPaths.value(0))}));
                loadAlbumXml(album, albumTemplate->path, [&albumTemplate](const QString& detail) {
                    return MessageBoxes::message(
                        121, QStringLiteral("The template \"%s\" could not be opened: %s"),
                        {albumTemplate->name, detail});
                });
                album.WriteIndexHtml(f.PreviewFolder + QStringLiteral("index.html"),
                                     f.FilesFolder + QStringLiteral("index.html"), QString());
                QDir().mkpath(f.ThumbsFolder);
                album.RebuildThumbnails(album.Tree().Root(), f.ThumbsFolder, f.PreviewFolder,
                                        model::TpaAlbum::LevelThumbnailBox, pumpMessages);
                cleanup.commit();
            }
            pumpMessages();
            album.SetModified(true);
            editor_.UpdateCaption(model::StripTags(album.GetAlbumName()));
            editor_.selectNode(album.Tree().Root());
            result = true;
        }
    }
    editor_.UpdateActions();
    return result;
}

void FileCommands::ShowStartupWizard() {
    pumpMessages();
    TfrmStartupWizard& dialog = wizard();
    dialog.FillRecent(editor_.recent().Items);
    dialog.Chooser = &chooser();
    dialog.TemplatesFolder = model::Folders().TemplatesFolder;
    dialog.BrowseFile = [this] { return askOpenFile(); };
    dialog.exec();
    pumpMessages();
    switch (dialog.Action) {
    case TfrmStartupWizard::CreateAction:
        NewAlbum(dialog.Template);
        break;
    case TfrmStartupWizard::BrowseAction:
        OpenAlbum(dialog.BrowsedFile);
        break;
    case TfrmStartupWizard::RecentAction:
        OpenAlbum(dialog.RecentFile);
        break;
    default:
        break;
    }
}

} // namespace app
