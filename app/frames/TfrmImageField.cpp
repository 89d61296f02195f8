#include "app/frames/TfrmImageField.h"

#include "app/BusyState.h"
#include "app/EditorContext.h"
#include "app/commands/CommandGuard.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/frmImagePreview.h"
#include "app/frames/AssetFiles.h"
#include "app/frames/FrameWidgets.h"
#include "app/l10n/ApplicationForms.h"
#include "app/l10n/Localization.h"
#include "app/pages/PhotoPreview.h"

#include "model/FolderLayout.h"
#include "model/image/ImageImport.h"
#include "model/items/Item.h"
#include "model/tree/TreeNode.h"
#include "platform/sys/Prompts.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace app {

namespace {

QString kilobytes(qint64 size) {
    // One decimal with "." whatever the locale, as the album's pages show sizes.
    return QString::number(double(size) / 1024.0, 'f', 1) + QStringLiteral(" KB");
}

QPixmap thumbnailPicture(const QString& file) {
    QImage picture;
    if (!file.isEmpty() && QFileInfo(file).isFile())
        picture = QImageReader(file).read();
    if (picture.isNull())
        picture = QImageReader(placeholderPicture()).read();
    if (picture.width() > TfrmImageField::ThumbnailBox ||
        picture.height() > TfrmImageField::ThumbnailBox)
        picture = picture.scaled(TfrmImageField::ThumbnailBox, TfrmImageField::ThumbnailBox,
                                 Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return QPixmap::fromImage(picture);
}

// Facts of a file just made in the working copy, with the path the album stores.
model::TpaImageInfo factsOf(const QString& path) {
    model::TpaImageInfo facts;
    facts.LoadFromFile(path);
    facts.MakeRelative(model::Folders().PreviewFolder);
    return facts;
}

} // namespace

TfrmImageField::TfrmImageField(QWidget* parent) : FieldFrame(parent, DesignHeight) {
    auto* layout = frameLayout(this);
    lbCaption = captionLabel(this, QStringLiteral("Caption:"));
    layout->addWidget(lbCaption);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    auto* pnPreview = new QFrame(this);
    pnPreview->setObjectName(QStringLiteral("pnPreview"));
    pnPreview->setFixedSize(100, 100);
    pnPreview->setFrameShape(QFrame::Panel);
    pnPreview->setFrameShadow(QFrame::Sunken);
    pnPreview->setBackgroundRole(QPalette::Base);
    pnPreview->setAutoFillBackground(true);
    auto* panelLayout = new QVBoxLayout(pnPreview);
    panelLayout->setContentsMargins(2, 2, 2, 2);
    imgPreview = new QLabel(pnPreview);
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    imgPreview->setAlignment(Qt::AlignCenter);
    imgPreview->setFixedSize(ThumbnailBox, ThumbnailBox);
    imgPreview->installEventFilter(this);
    panelLayout->addWidget(imgPreview);
    row->addWidget(pnPreview, 0, Qt::AlignTop);

    auto* facts = new QVBoxLayout;
    lbFileName = plainLabel(this, "lbFileName", QString());
    lbProperties = plainLabel(this, "lbProperties", QString());
    facts->addStretch(1);
    facts->addWidget(lbFileName);
    facts->addWidget(lbProperties);
    facts->addStretch(1);
    row->addLayout(facts, 1);

    auto* buttons = new QVBoxLayout;
    btChange = new QPushButton(QStringLiteral("Change Image..."), this);
    btChange->setObjectName(QStringLiteral("btChange"));
    btViewFullSize = new QPushButton(QStringLiteral("View Full Size..."), this);
    btViewFullSize->setObjectName(QStringLiteral("btViewFullSize"));
    btDelete = new QPushButton(QStringLiteral("Delete"), this);
    btDelete->setObjectName(QStringLiteral("btDelete"));
    buttons->addWidget(btChange);
    buttons->addWidget(btViewFullSize);
    buttons->addWidget(btDelete);
    buttons->addStretch(1);
    row->addLayout(buttons);
    layout->addLayout(row, 1);

    OpenPictureDialog = new FileDialogSettings(
        QStringLiteral("OpenPictureDialog"),
        QStringLiteral("Image Files (*.jpg;*.jpeg;*.gif;*.bmp)|*.jpg;*.jpeg;*.gif;*.bmp|JPEG "
                       "Image Files (*.jpg)|*.jpg|JPEG Image Files (*.jpeg)|*.jpeg|GIF Image "
                       "Files (*.gif)|*.gif|Bitmaps (*.bmp)|*.bmp"),
        this);
    OpenPictureDialog->MustExist = true;

    connect(btChange, &QPushButton::clicked, this,
            [this] { guarded([this] { btChangeClick(); }); });
    connect(btDelete, &QPushButton::clicked, this,
            [this] { guarded([this] { btDeleteClick(); }); });
    connect(btViewFullSize, &QPushButton::clicked, this,
            [this] { guarded([this] { btViewFullSizeClick(); }); });
    LoadField();
}

QString TfrmImageField::PropertiesText(const model::TpaImageInfo& image) {
    if (image.Width == 0 || image.Height == 0 || image.Size == 0)
        return {};
    return QStringLiteral("%1x%2  ").arg(image.Width).arg(image.Height) + kilobytes(image.Size);
}

QString TfrmImageField::PreviewCaption(const model::TpaImageInfo& image) {
    return QStringLiteral("%1 (%2x%3) ").arg(image.Name).arg(image.Width).arg(image.Height) +
           kilobytes(image.Size);
}

void TfrmImageField::LoadField(model::TpaAlbumSettingsImageField* field) {
    if (field)
        field_ = field;
    const model::TpaImageInfo empty;
    const model::TpaImageInfo& image = field_ ? field_->Image : empty;
    if (field_)
        lbCaption->setText(field_->Caption);
    lbFileName->setText(image.Name);
    lbProperties->setText(PropertiesText(image));
    btDelete->setEnabled(!lbFileName->text().isEmpty());
    // Not isEnabled(): inside a busy section the whole window is disabled.
    thumbnailClicks_ = !lbProperties->text().isEmpty();
    btViewFullSize->setEnabled(thumbnailClicks_);
    if (thumbnailClicks_) {
        imgPreview->setToolTip(Localization().GetString(6, QStringLiteral("View Full Size")));
        imgPreview->setCursor(Qt::PointingHandCursor);
    } else {
        imgPreview->setToolTip(QString());
        imgPreview->unsetCursor();
    }
    imgPreview->setPixmap(thumbnailPicture(image.Thumbnail));
}

bool TfrmImageField::eventFilter(QObject* watched, QEvent* event) {
    if (watched == imgPreview && event->type() == QEvent::MouseButtonRelease && thumbnailClicks_) {
        guarded([this] { btViewFullSizeClick(); });
        return true;
    }
    return FieldFrame::eventFilter(watched, event);
}

void TfrmImageField::btChangeClick() {
    if (!field_ || !liveNode())
        return;
    const std::optional<std::string> chosen =
        platform::prompts().openFile(std::string(), OpenPictureDialog->Filter.toStdString(),
                                     OpenPictureDialog->InitialDir.toStdString());
    if (!chosen || !field_ || !liveNode())
        return;
    const QString source = QString::fromStdString(*chosen);
    const model::FolderLayout& f = model::Folders();
    if (!field_->Image.FileName.isEmpty() &&
        AssetFiles::sameFile(source, f.PreviewFolder + field_->Image.FileName))
        return; // the picture the field shows already
    const QString before = field_->Image.FileName;
    bool changed = false;
    QString failure;
    {
        BusyScope busy(context()->busyState());
        try {
            changed = changePicture(source);
        } catch (const std::exception& e) {
            // The field may have its new picture while a reduced copy failed: show what it has.
            changed = field_ && field_->Image.FileName != before;
            failure = fileFailureText(source, e);
        }
        if (changed) {
            LoadField();
            reloadSiblingFrames();
        }
    }
    if (changed)
        markModified();
    if (!failure.isEmpty())
        showError(failure);
}

bool TfrmImageField::changePicture(const QString& source) {
    const model::FolderLayout& f = model::Folders();
    // The new picture first: when it cannot be imported the field keeps its picture.
    const QString path =
        model::ImportImageFile(source, field_->W, field_->H, f.PreviewImagesFolder);
    if (path.isEmpty())
        return false;
    model::TpaImageInfo facts;
    try {
        facts = factsOf(path);
        facts.Thumbnail =
            model::CreateResizedJpegFile(source, ThumbnailBox, ThumbnailBox, f.ThumbsFolder);
    } catch (...) {
        QFile::remove(path);
        throw;
    }
    AssetFiles::removeAsset(field_->Image.FileName);
    AssetFiles::removeThumbnail(field_->Image.Thumbnail);
    field_->Image = facts;
    rebuildDependents(source);
    return true;
}

void TfrmImageField::rebuildDependents(const QString& source) {
    model::TpaTreeNode* node = liveNode();
    if (!node)
        return;
    const model::FolderLayout& f = model::Folders();
    for (const auto& other : node->Item()->ImageFields().Items) {
        if (other.get() == field_ || other->Thumb != field_->Id)
            continue;
        const QString path =
            model::CreateThumbnailFile(source, other->W, other->H, f.PreviewThumbsFolder);
        if (path.isEmpty())
            continue;
        model::TpaImageInfo facts = factsOf(path);
        facts.Thumbnail =
            model::CreateResizedJpegFile(path, ThumbnailBox, ThumbnailBox, f.ThumbsFolder);
        AssetFiles::removeAsset(other->Image.FileName);
        AssetFiles::removeThumbnail(other->Image.Thumbnail);
        other->Image = facts;
    }
}

void TfrmImageField::reloadSiblingFrames() {
    if (!parentWidget())
        return;
    for (auto* frame : parentWidget()->findChildren<TfrmImageField*>(Qt::FindDirectChildrenOnly)) {
        if (frame != this && frame->field() && frame->field()->Thumb == field_->Id)
            frame->LoadField();
    }
}

void TfrmImageField::btDeleteClick() {
    if (!field_ || !liveNode())
        return;
    {
        BusyScope busy(context()->busyState());
        AssetFiles::removeAsset(field_->Image.FileName);
        AssetFiles::removeThumbnail(field_->Image.Thumbnail);
        field_->Image = model::TpaImageInfo();
        LoadField();
    }
    markModified();
}

void TfrmImageField::btViewFullSizeClick() {
    if (!field_ || preview_)
        return;
    auto* window = new TfrmImagePreview(this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (context() && context()->forms())
        window->CopyCaptionFrom(
            qobject_cast<TfrmImagePreview*>(context()->forms()->find(window->objectName())));
    const model::TpaImageInfo& image = field_->Image;
    QScreen* screen = this->screen() ? this->screen() : QApplication::primaryScreen();
    const QRect workArea = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window->showPicture(image.FileName.isEmpty() ? QString()
                                                 : model::Folders().PreviewFolder + image.FileName,
                        QSize(image.Width, image.Height), PreviewCaption(image), workArea);
    preview_ = window;
    window->exec();
}

void TfrmImageField::LocalizeFrom(QObject* model) {
    auto* from = qobject_cast<TfrmImageField*>(model);
    if (!from)
        return;
    copyCaptions(from, this);
    OpenPictureDialog->Filter = from->OpenPictureDialog->Filter;
}

} // namespace app
