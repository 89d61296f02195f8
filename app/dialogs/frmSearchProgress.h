#pragma once

#include "app/dialogs/CancellableProgressDialog.h"

#include <memory>

namespace Ui {
class frmSearchProgress;
}

namespace app {

// The progress window of the recursive image search: shows the folder being scanned.
class TfrmSearchProgress : public CancellableProgressDialog {
    Q_OBJECT

public:
    explicit TfrmSearchProgress(QWidget* parent = nullptr);
    ~TfrmSearchProgress() override;

    // Shows a folder, shortened in the middle to fit the label.
    void setCurrentDirectory(const QString& folder);

private:
    std::unique_ptr<Ui::frmSearchProgress> ui;
};

} // namespace app
