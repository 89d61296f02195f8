#include "app/dialogs/frmProgress.h"

#include "ui_frmProgress.h"

namespace app {

TfrmProgress::TfrmProgress(QWidget* parent)
    : CancellableProgressDialog(parent), ui(std::make_unique<Ui::frmProgress>()) {
    ui->setupUi(this);
    finishSetUp(ui->btCancel, QSize(497, 101));
}

TfrmProgress::~TfrmProgress() = default;

void TfrmProgress::setOverall(const QString& text) {
    ui->lbOverall->setText(text);
}
void TfrmProgress::setPosition(int percent) {
    ui->ProgressBar->setValue(qBound(0, percent, 100));
}
int TfrmProgress::position() const {
    return ui->ProgressBar->value();
}

} // namespace app
