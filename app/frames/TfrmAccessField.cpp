#include "app/frames/TfrmAccessField.h"

#include "app/commands/CommandGuard.h"
#include "app/frames/FrameWidgets.h"

#include "model/settings/AlbumSettingsAccessField.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace app {

TfrmAccessField::TfrmAccessField(QWidget* parent) : FieldFrame(parent, DesignHeight) {
    auto* layout = frameLayout(this);
    lbCaption = captionLabel(this, QString());
    edValue = valueEdit(this, "edValue");
    layout->addWidget(lbCaption);
    layout->addWidget(edValue);
    connect(edValue, &QLineEdit::textEdited, this,
            [this] { guarded([this] { edValueChange(); }); });
}

void TfrmAccessField::LoadField(model::TpaAlbumSettingsAccessField* field) {
    if (field)
        field_ = field;
    if (!field_)
        return;
    lbCaption->setText(field_->Caption);
    // Showing the value is no change of it.
    const QSignalBlocker block(edValue);
    edValue->setText(field_->Value);
}

void TfrmAccessField::edValueChange() {
    // No busy section here: it would take the focus from the edit at every keystroke.
    if (!field_ || !liveNode())
        return;
    field_->Value = edValue->text();
    markModified();
}

} // namespace app
