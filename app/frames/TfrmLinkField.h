#pragma once

#include "app/frames/FieldFrame.h"
#include "app/frames/LocalizedFrame.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace model {
class TpaAlbumSettingsLinkField;
}

namespace app {

// The frame of a photo's link: the address, the browser target and a button that links the
// photo to its own picture.
class TfrmLinkField : public FieldFrame, public LocalizedFrame {
    Q_OBJECT

public:
    static constexpr int DesignHeight = 60;

    explicit TfrmLinkField(QWidget* parent = nullptr);

    void LoadField(model::TpaAlbumSettingsLinkField* field = nullptr);
    void bbImageSourceClick();

    QString modelFrameName() const override { return QStringLiteral("frmLinkField"); }
    void LocalizeFrom(QObject* model) override;

private:
    void edLinkChange();

    model::TpaAlbumSettingsLinkField* field_ = nullptr;

    QLabel* lbCaption;
    QLineEdit* edLink;
    QComboBox* cbLinkTarget;
    QPushButton* bbImageSource;
};

} // namespace app
