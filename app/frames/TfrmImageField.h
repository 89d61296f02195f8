#pragma once

#include "app/frames/FieldFrame.h"
#include "app/frames/LocalizedFrame.h"

#include <QPointer>

class QLabel;
class QPushButton;

namespace model {
class TpaAlbumSettingsImageField;
class TpaImageInfo;
} // namespace model

namespace app {

class FileDialogSettings;
class TfrmImagePreview;

// The frame of an image field of the album root or a gallery: caption, thumbnail, file name
// and size, and Change, View Full Size and Delete.
class TfrmImageField : public FieldFrame, public LocalizedFrame {
    Q_OBJECT

public:
    static constexpr int DesignHeight = 129;
    // The box of the editor thumbnail, whatever size the widget has now.
    static constexpr int ThumbnailBox = 96;

    explicit TfrmImageField(QWidget* parent = nullptr);

    void LoadField(model::TpaAlbumSettingsImageField* field = nullptr);
    model::TpaAlbumSettingsImageField* field() const { return field_; }
    void btChangeClick();
    void btDeleteClick();
    void btViewFullSizeClick();

    // "1024x768  240.0 KB", or empty unless width, height and size are all known.
    static QString PropertiesText(const model::TpaImageInfo& image);
    // "a.jpg (1024x768) 240.0 KB"
    static QString PreviewCaption(const model::TpaImageInfo& image);

    QString modelFrameName() const override { return QStringLiteral("frmImageField"); }
    void LocalizeFrom(QObject* model) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Imports source as the field's picture with its reduced copies; false when the import
    // gave no file. Throws what the image routines throw; the field keeps its picture unless
    // the picture itself was made.
    bool changePicture(const QString& source);
    // The fields of the same list reduced from this one get new copies of source.
    void rebuildDependents(const QString& source);
    void reloadSiblingFrames();

    model::TpaAlbumSettingsImageField* field_ = nullptr;
    bool thumbnailClicks_ = false;
    QPointer<TfrmImagePreview> preview_;

    QLabel* lbCaption;
    QLabel* imgPreview;
    QLabel* lbFileName;
    QLabel* lbProperties;
    QPushButton* btChange;
    QPushButton* btViewFullSize;
    QPushButton* btDelete;
    FileDialogSettings* OpenPictureDialog;
};

} // namespace app
