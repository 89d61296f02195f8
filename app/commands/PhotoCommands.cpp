#include "app/commands/PhotoCommands.h"

#include "app/BusyState.h"
#include "app/EditorContext.h"
#include "app/MainActions.h"
#include "app/commands/CommandGuard.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/PictureFileDialog.h"
#include "app/dialogs/ProgressScope.h"
#include "app/dialogs/frmProgress.h"
#include "app/dialogs/frmSearchProgress.h"
#include "app/l10n/Localization.h"

#include "model/FileRoutines.h"
#include "model/FolderLayout.h"
#include "model/ParallelJobs.h"
#include "model/document/Album.h"
#include "model/image/PictureSearch.h"
#include "model/items/PhotoFileBatch.h"
#include "model/items/PhotoFiles.h"
#include "model/tree/TreeUtils.h"

#include "platform/sys/Prompts.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTreeView>

#include <cmath>
#include <optional>

namespace app {

using model::TpaTreeNode;

namespace {

QString strings(int number, const QString& english, const QList<FormatArg>& args = {}) {
    return Localization().Format(TextKind::Strings, number, english, args);
}

int percent(int done, int count) {
    return int(std::lround(double(done) / count * 100.0));
}

// The names a folder search could not read, one message for all of them: the count, and the
// first names (the rest stand for "...").
void reportUnreadable(const QStringList& names) {
    constexpr int kNamesShown = 10;
    QStringList shown;
    for (const QString& name : names.mid(0, kNamesShown))
        shown << QDir::toNativeSeparators(name);
    if (names.size() > kNamesShown)
        shown << QStringLiteral("...");
    MessageBoxes::ask(platform::PromptKind::Warning,
                      MessageBoxes::countMessage(
                          216,
                          QStringLiteral("%d files or folders are skipped: their names cannot "
                                         "be read.\n\n%s"),
                          1216,
                          QStringLiteral("%d file or folder is skipped: its name cannot be "
                                         "read.\n\n%s"),
                          {qlonglong(names.size()), shown.join(u'\n')}),
                      {platform::PromptButton::Ok}, platform::PromptButton::Ok);
    pumpMessages();
}

} // namespace

PhotoCommands::PhotoCommands(EditorContext& editor, const MainActions& actions, QObject* parent)
    : QObject(parent), editor_(editor), actions_(actions) {
    onTriggered(actions.acEditAddPhoto, this, [this] { AddPhoto(); });
    onTriggered(actions.acEditImport, this, [this] { Import(); });
    onTriggered(actions.acEditScanMyPictures, this, [this] { ScanMyPictures(); });
    onTriggered(actions.acEditChangeImage, this, [this] { ChangeImage(); });
    if (actions.bbChangeImage)
        connect(actions.bbChangeImage, &QPushButton::clicked, this,
                [this] { guarded([this] { ChangeImage(); }); });
}

TpaTreeNode* PhotoCommands::targetGallery() const {
    TpaTreeNode* n = editor_.selectedNode();
    if (n && n->IsPhoto())
        n = n->Parent();
    return n && n->Item() ? n : nullptr;
}

int PhotoCommands::room() const {
    TpaTreeNode* g = targetGallery();
    if (!g)
        return 0;
    const auto* level = editor_.album().Settings.Levels.FindLevel(g->Depth());
    if (!level)
        return 0;
    const model::TpaAlbum& album = editor_.album();
    // The album's item limit counts too: beyond it the saved album could not be opened again.
    const qint64 items = qint64(album.Settings.MaxItems()) - (album.Tree().NodeCount() - 1);
    const qint64 left = std::min(qint64(level->MaxPhotos) - model::CountPhotoChildren(g), items);
    return int(std::clamp<qint64>(left, 0, INT_MAX));
}

QString PhotoCommands::albumName() const {
    const model::TpaAlbum& album = editor_.album();
    return album.FileName.isEmpty() ? album.GetAlbumName() : QFileInfo(album.FileName).fileName();
}

void PhotoCommands::AddPhoto(const QString& folder) {
    pumpMessages();
    if (!targetGallery() || !actions_.OpenPictureDialog1) {
        editor_.UpdateActions();
        return;
    }
    FileDialogSettings& settings = *actions_.OpenPictureDialog1;
    const QString start = folder.isEmpty() ? settings.InitialDir : folder;
    PictureFileDialog dialog(editor_.dialogParent(), settings, start, room());
    if (dialog.exec() != QDialog::Accepted) {
        editor_.UpdateActions();
        return;
    }
    settings.InitialDir = dialog.directory().absolutePath();
    const QStringList files = dialog.selectedFiles();
    pumpMessages();
    AddFiles(files, strings(13, QStringLiteral("Adding Photos to Album")),
             strings(14, QStringLiteral("Adding photos to album \"%s\" ..."), {albumName()}));
    editor_.treeView().setFocus();
    editor_.UpdateActions();
}

bool PhotoCommands::AddFiles(const QStringList& files, const QString& caption,
                             const QString& label) {
    TpaTreeNode* gallery = targetGallery();
    if (!gallery || files.isEmpty())
        return files.isEmpty();
    model::TpaAlbum& album = editor_.album();
    const quint64 galleryUid = gallery->Uid();
    quint64 lastUid = 0;
    int added = 0;
    QString failure;
    bool full = false;
    {
        ProgressScope progress(editor_.busyState(), editor_.progressWindow(), caption, label);
        // Names are reserved here in order; the pictures are decoded and scaled on every core
        // while this thread adds the photos in order. What is not added goes with the batch.
        model::PhotoFileBatch batch(album.CreateItem(model::ikPhoto, gallery)->Level.Photo, files,
                                    model::Folders());
        model::ParallelJobs work(batch.size(), [&batch](std::size_t i) { batch.make(i); });
        for (int i = 0; i < files.size(); ++i) {
            if (progress.cancelled())
                break;
            while (!work.waitFor(std::size_t(i), 20) && !progress.cancelled())
                pumpMessages();
            editor_.progressWindow().setPosition(percent(i + 1, int(files.size())));
            pumpMessages();
            // What the pump ran may have closed the album or deleted the gallery.
            gallery = album.Tree().FindByUid(galleryUid);
            if (!gallery || progress.cancelled())
                break;
            if (!album.CanAddPhoto(gallery)) {
                full = true;
                break;
            }
            try {
                if (const std::exception_ptr error = work.error(std::size_t(i)))
                    std::rethrow_exception(error);
                lastUid = addPhoto(gallery, batch, std::size_t(i))->Uid();
                ++added;
            } catch (const std::exception& e) {
                failure = fileFailureText(files[i], e);
                break;
            }
        }
        // Photos still being made are never taken: they stop before their next picture.
        batch.cancel();
        work.cancel();
    }
    if (TpaTreeNode* last = album.Tree().FindByUid(lastUid))
        editor_.selectNode(last);
    if (!failure.isEmpty())
        showError(failure);
    else if (full)
        MessageBoxes::error(MessageBoxes::message(
            12, QStringLiteral("Sorry, but you may add only %d photo(s) to this level"),
            {qlonglong(added)}));
    return added == files.size();
}

TpaTreeNode* PhotoCommands::addPhoto(TpaTreeNode* gallery, model::PhotoFileBatch& batch,
                                     std::size_t index) {
    model::TpaAlbum& album = editor_.album();
    std::unique_ptr<model::TpaItem> item = album.CreateItem(model::ikPhoto, gallery);
    // The files exist before the node: a picture that failed leaves neither behind.
    const QString name = batch.take(index, item->Level.Photo);
    QString caption;
    if (auto* field = item->CaptionField()) {
        field->Value = name;
        caption = name;
    }
    TpaTreeNode* node = album.Tree().Append(gallery, std::move(item), caption);
    album.SetModified(true);
    return node;
}

void PhotoCommands::Import() {
    pumpMessages();
    model::FolderLayout& folders = model::Folders();
    const std::optional<std::string> chosen = platform::prompts().pickFolder(
        MessageBoxes::message(3, QStringLiteral("Please, choose a directory for importing photos:"))
            .toStdString(),
        folders.LastImportFolder.toStdString());
    if (chosen) {
        pumpMessages();
        folders.LastImportFolder = model::WithTrailingSlash(QString::fromStdString(*chosen));
        ImportFolder(folders.LastImportFolder);
    }
    editor_.treeView().setFocus();
    editor_.UpdateActions();
}

void PhotoCommands::ScanMyPictures() {
    pumpMessages();
    const QString pictures = model::GetShellFolder(12);
    if (pictures.isEmpty() || !QFileInfo(pictures).isDir())
        MessageBoxes::inform(MessageBoxes::message(
            231,
            QStringLiteral("No Pictures folder was found (\"%s\"). Use Import to choose "
                           "the folder that holds your photos."),
            {QDir::toNativeSeparators(pictures)}));
    else
        ImportFolder(pictures);
    editor_.treeView().setFocus();
    editor_.UpdateActions();
}

void PhotoCommands::ImportFolder(const QString& where) {
    pumpMessages();
    if (where.isEmpty() || !QFileInfo(where).isDir())
        return;
    const QString folder = model::WithTrailingSlash(where);
    QStringList found;
    QStringList unreadable;
    bool finished = false;
    {
        TfrmSearchProgress& window = editor_.searchProgressWindow();
        window.setCurrentDirectory(QString());
        ProgressScope search(editor_.busyState(), window, window.windowTitle());
        model::FileProgress callbacks;
        callbacks.currentFolder = [&window](const QString& dir) {
            window.setCurrentDirectory(dir);
        };
        callbacks.cancelled = [&search] { return search.cancelled(); };
        callbacks.pump = pumpMessages;
        finished = model::FindPictureFiles(folder, found, callbacks, &unreadable);
    }
    if (!finished)
        return;
    if (!unreadable.isEmpty())
        reportUnreadable(unreadable);
    if (found.isEmpty()) {
        MessageBoxes::error(
            MessageBoxes::message(9, QStringLiteral("No images found in folder \"%s\""),
                                  {QDir::toNativeSeparators(folder)}));
        return;
    }
    const bool all = MessageBoxes::confirm(MessageBoxes::countMessage(
        10, QStringLiteral("%d images found. Are you sure to import them all?"), 1010,
        QStringLiteral("%d image found. Are you sure to import it?"), {qlonglong(found.size())}));
    pumpMessages();
    if (!all) {
        AddPhoto(folder);
        return;
    }
    TpaTreeNode* gallery = targetGallery();
    if (!gallery)
        return;
    const int space = room();
    if (space < found.size()) {
        const bool some = MessageBoxes::warnYesNo(MessageBoxes::message(
            13,
            QStringLiteral("Sorry, but you may add only %d photo(s) to this level. Add first %d "
                           "photo(s) from list?"),
            {qlonglong(space), qlonglong(space)}));
        pumpMessages();
        if (!some)
            return;
        found = found.mid(0, space);
    }
    const quint64 galleryUid = gallery->Uid();
    const bool complete =
        AddFiles(found, strings(15, QStringLiteral("Import Photos to Album")),
                 strings(16, QStringLiteral("Import photos from directory \"%s\" ..."),
                         {QDir::toNativeSeparators(folder)}));
    gallery = editor_.album().Tree().FindByUid(galleryUid);
    if (complete && gallery) {
        MessageBoxes::inform(
            MessageBoxes::countMessage(11, QStringLiteral("%d photos are added to gallery \"%s\""),
                                       1011, QStringLiteral("%d photo is added to gallery \"%s\""),
                                       {qlonglong(found.size()), gallery->Text()}));
        pumpMessages();
    }
}

void PhotoCommands::ChangeImage() {
    pumpMessages();
    FileDialogSettings* settings = actions_.OpenPictureDialog2;
    if (!settings)
        return;
    const std::optional<std::string> chosen =
        platform::prompts().openFile(settings->Title.toStdString(), settings->Filter.toStdString(),
                                     settings->InitialDir.toStdString());
    if (!chosen) {
        editor_.UpdateActions();
        return;
    }
    pumpMessages();
    const QString file = QString::fromStdString(*chosen);
    TpaTreeNode* n = editor_.selectedNode();
    model::TpaItem* item = n && n->IsPhoto() ? n->Item() : nullptr;
    if (!item || !item->Level.Photo.ImageFields.FindById(item->Level.Photo.Show)) {
        editor_.UpdateActions();
        return;
    }
    settings->InitialDir = QFileInfo(file).absolutePath();
    // A file that cannot serve is named before the user is asked to give up the old picture.
    try {
        model::CheckReplacementImage(item->Level.Photo, file, model::Folders());
    } catch (const std::exception& e) {
        showError(fileFailureText(file, e));
        editor_.UpdateActions();
        return;
    }
    if (!MessageBoxes::confirm(MessageBoxes::message(
            14, QStringLiteral("This will overwrite \"%s\". Continue?"), {n->Text()}))) {
        editor_.UpdateActions();
        return;
    }
    QString failure;
    {
        BusyScope busy(editor_.busyState());
        try {
            model::ReplacePhotoImages(item->Level.Photo, file, model::Folders());
            editor_.album().SetModified(true);
            editor_.album().Tree().NotifyChanged(n);
            editor_.showSelectedPage();
        } catch (const std::exception& e) {
            failure = fileFailureText(file, e);
        }
    }
    if (!failure.isEmpty())
        showError(failure);
    editor_.UpdateActions();
}

} // namespace app
