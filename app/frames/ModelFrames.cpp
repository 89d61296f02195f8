#include "app/frames/ModelFrames.h"

#include "app/dialogs/frmImagePreview.h"
#include "app/frames/TfrmImageField.h"
#include "app/frames/TfrmLinkField.h"
#include "app/frames/TfrmMusicField.h"
#include "app/frames/TfrmPublishSizeField.h"
#include "app/frames/TfrmTextField.h"
#include "app/l10n/ApplicationForms.h"
#include "app/l10n/FormTranslator.h"

namespace app {

ModelFrames::ModelFrames(ApplicationForms& forms) {
    auto add = [&](QWidget* frame, const char* name) {
        frame->setObjectName(QString::fromLatin1(name));
        frame->setAttribute(Qt::WA_DontShowOnScreen);
        frame->hide();
        FormTranslator::MarkScope(frame);
        frames_.emplace_back(frame);
        forms.add(frame);
    };
    add(new TfrmImageField, "frmImageField");
    add(new TfrmTextField, "frmTextField");
    add(new TfrmImagePreview, "frmImagePreview");
    add(new TfrmMusicField, "frmMusicField");
    add(new TfrmPublishSizeField, "frmPublishSizeField");
    add(new TfrmLinkField, "frmLinkField");
}

ModelFrames::~ModelFrames() = default;

} // namespace app
