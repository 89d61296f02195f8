#include "app/frames/TfrmMusicField.h"

#include "app/BusyState.h"
#include "app/EditorContext.h"
#include "app/commands/CommandGuard.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/frames/AssetFiles.h"
#include "app/frames/FrameWidgets.h"

#include "model/Errors.h"
#include "model/FolderLayout.h"
#include "model/SafePath.h"
#include "model/image/ImageImport.h"
#include "model/settings/AlbumSettingsMusicField.h"
#include "platform/sys/Prompts.h"
#include "publish/HandlerGuard.h"

#include <QButtonGroup>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace app {

TfrmMusicField::TfrmMusicField(QWidget* parent) : FieldFrame(parent, DesignHeight) {
    auto* layout = frameLayout(this);
    lbCaption = captionLabel(this, QString());
    layout->addWidget(lbCaption);
    auto* fileRow = new QHBoxLayout;
    fileRow->setSpacing(8);
    edFileName = new QLineEdit(this);
    edFileName->setObjectName(QStringLiteral("edFileName"));
    edFileName->setReadOnly(true);
    edFileName->setBackgroundRole(QPalette::Button);
    btBrowse = new QPushButton(QStringLiteral("&Browse..."), this);
    btBrowse->setObjectName(QStringLiteral("btBrowse"));
    btDelete = new QPushButton(QStringLiteral("Delete"), this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    fileRow->addWidget(edFileName, 1);
    fileRow->addWidget(btBrowse);
    fileRow->addWidget(btDelete);
    layout->addLayout(fileRow);
    auto* startRow = new QHBoxLayout;
    lbMusicDefault = plainLabel(this, "lbMusicDefault", QStringLiteral("Play at Start:"));
    rbYes = new QRadioButton(QStringLiteral("Yes"), this);
    rbYes->setObjectName(QStringLiteral("rbYes"));
    rbNo = new QRadioButton(QStringLiteral("No"), this);
    rbNo->setObjectName(QStringLiteral("rbNo"));
    startRow->addWidget(lbMusicDefault);
    startRow->addWidget(rbYes);
    startRow->addWidget(rbNo);
    startRow->addStretch(1);
    layout->addLayout(startRow);
    OpenDialog = new FileDialogSettings(
        QStringLiteral("OpenDialog"),
        QStringLiteral("Music Files|*.mp3;*.swf|MP3 Files (*.mp3)|*.mp3|SWF Files (*.swf)|*.swf"),
        this);
    OpenDialog->MustExist = true;

    connect(btBrowse, &QPushButton::clicked, this,
            [this] { guarded([this] { btBrowseClick(); }); });
    connect(btDelete, &QPushButton::clicked, this,
            [this] { guarded([this] { btDeleteClick(); }); });
    connect(rbYes, &QRadioButton::clicked, this,
            [this] { guarded([this] { startupClick(true); }); });
    connect(rbNo, &QRadioButton::clicked, this,
            [this] { guarded([this] { startupClick(false); }); });
}

void TfrmMusicField::LoadField(model::TpaAlbumSettingsMusicField* field) {
    if (field)
        field_ = field;
    if (!field_)
        return;
    lbCaption->setText(field_->Caption);
    edFileName->setText(field_->FileName);
    btDelete->setEnabled(!field_->FileName.isEmpty());
    const bool on = !field_->FileName.isEmpty() && field_->Startup == QStringLiteral("on");
    // Checking a button here is no change; clicked() only comes from the user.
    rbYes->setChecked(on);
    rbNo->setChecked(!on);
}

void TfrmMusicField::btBrowseClick() {
    if (!field_ || !liveNode())
        return;
    const std::optional<std::string> chosen = platform::prompts().openFile(
        std::string(), OpenDialog->Filter.toStdString(), OpenDialog->InitialDir.toStdString());
    if (!chosen || !field_ || !liveNode())
        return;
    const QString source = QString::fromStdString(*chosen);
    const QString folder = model::Folders().PreviewMusicFolder;
    const QString old = model::LastPathComponent(field_->FileName);
    // The file the field holds already: nothing to do (deleting it first would lose it).
    if (!old.isEmpty() && AssetFiles::sameFile(source, folder + old))
        return;
    QString failure;
    {
        BusyScope busy(context()->busyState());
        // The new file first: when the copy fails the field keeps its file.
        QString copy;
        try {
            copy = model::CopyFileUnique(source, folder);
        } catch (const model::DiskFullError& e) {
            failure = publish::diskFullText(e.path());
        } catch (const std::exception&) {
            // Said below, as for a chosen file that is gone.
        }
        if (!copy.isEmpty()) {
            if (!old.isEmpty())
                AssetFiles::removeAsset(model::TpaAlbumSettingsMusicField::FolderName() + old);
            field_->FileName = model::LastPathComponent(copy);
            LoadField();
        } else if (failure.isEmpty()) {
            failure = MessageBoxes::message(
                316, QStringLiteral("The music file \"%s\" could not be copied into the album."),
                {QDir::toNativeSeparators(source)});
        }
    }
    if (!failure.isEmpty()) {
        showError(failure);
        return;
    }
    markModified();
}

void TfrmMusicField::btDeleteClick() {
    if (!field_ || !liveNode())
        return;
    {
        BusyScope busy(context()->busyState());
        const QString old = model::LastPathComponent(field_->FileName);
        if (!old.isEmpty())
            AssetFiles::removeAsset(model::TpaAlbumSettingsMusicField::FolderName() + old);
        field_->FileName.clear();
        LoadField();
    }
    markModified();
}

void TfrmMusicField::startupClick(bool on) {
    if (!field_ || !liveNode())
        return;
    field_->Startup = on ? QStringLiteral("on") : QStringLiteral("off");
    LoadField();
    markModified();
}

void TfrmMusicField::LocalizeFrom(QObject* model) {
    auto* from = qobject_cast<TfrmMusicField*>(model);
    if (!from)
        return;
    copyCaptions(from, this);
    OpenDialog->Filter = from->OpenDialog->Filter;
}

} // namespace app
