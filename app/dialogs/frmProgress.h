#pragma once

#include "app/dialogs/CancellableProgressDialog.h"

#include <memory>

namespace Ui {
class frmProgress;
}

namespace app {

// The progress window of open, save, publish, package installation and adding photos.
class TfrmProgress : public CancellableProgressDialog {
    Q_OBJECT

public:
    explicit TfrmProgress(QWidget* parent = nullptr);
    ~TfrmProgress() override;

    void setOverall(const QString& text);
    void setPosition(int percent);
    int position() const;

private:
    std::unique_ptr<Ui::frmProgress> ui;
};

} // namespace app
