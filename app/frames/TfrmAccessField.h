#pragma once

#include "app/frames/FieldFrame.h"

class QLabel;
class QLineEdit;

namespace model {
class TpaAlbumSettingsAccessField;
}

namespace app {

// The frame of the access text of the album root or a gallery. It has no translated texts
// of its own: the caption comes from the template.
class TfrmAccessField : public FieldFrame {
    Q_OBJECT

public:
    static constexpr int DesignHeight = 46;

    explicit TfrmAccessField(QWidget* parent = nullptr);

    void LoadField(model::TpaAlbumSettingsAccessField* field = nullptr);

private:
    void edValueChange();

    model::TpaAlbumSettingsAccessField* field_ = nullptr;

    QLabel* lbCaption;
    QLineEdit* edValue;
};

} // namespace app
