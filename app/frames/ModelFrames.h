#pragma once

#include <QWidget>

#include <memory>
#include <vector>

namespace app {

class ApplicationForms;

// The hidden frames that language files translate and that every frame made at run time
// copies its texts from: "frmImageField", "frmTextField", the image preview "frmImagePreview",
// "frmMusicField", "frmPublishSizeField" and "frmLinkField", made and registered in that order.
// Never shown.
class ModelFrames {
public:
    explicit ModelFrames(ApplicationForms& forms);
    ~ModelFrames();
    ModelFrames(const ModelFrames&) = delete;
    ModelFrames& operator=(const ModelFrames&) = delete;

private:
    std::vector<std::unique_ptr<QWidget>> frames_;
};

} // namespace app
