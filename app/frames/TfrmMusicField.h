#pragma once

#include "app/frames/FieldFrame.h"
#include "app/frames/LocalizedFrame.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace model {
class TpaAlbumSettingsMusicField;
}

namespace app {

class FileDialogSettings;

// The frame of a music field: the file in the working copy's music folder, Browse, Delete and
// whether it plays at the start.
class TfrmMusicField : public FieldFrame, public LocalizedFrame {
    Q_OBJECT

public:
    static constexpr int DesignHeight = 75;

    explicit TfrmMusicField(QWidget* parent = nullptr);

    void LoadField(model::TpaAlbumSettingsMusicField* field = nullptr);
    void btBrowseClick();
    void btDeleteClick();

    QString modelFrameName() const override { return QStringLiteral("frmMusicField"); }
    void LocalizeFrom(QObject* model) override;

private:
    void startupClick(bool on);

    model::TpaAlbumSettingsMusicField* field_ = nullptr;

    QLabel* lbCaption;
    QLineEdit* edFileName;
    QPushButton* btBrowse;
    QPushButton* btDelete;
    QLabel* lbMusicDefault;
    QRadioButton* rbYes;
    QRadioButton* rbNo;
    FileDialogSettings* OpenDialog;
};

} // namespace app
