#include "app/SearchProgressDialog.h"

#include "ui_frmSearchProgress.h"

#include <QDir>

namespace app {

TfrmSearchProgress::TfrmSearchProgress(QWidget* parent)
    : CancellableProgressDialog(parent), ui(std::make_unique<Ui::frmSearchProgress>()) {
    ui->setupUi(this);
    finishSetUp(ui->btCancel, QSize(495, 98));
}

TfrmSearchProgress::~TfrmSearchProgress() = default;

void TfrmSearchProgress::setCurrentDirectory(const QString& folder) {
    QLabel* label = ui->lbCurrentDirectory;
    const QString shown = label->fontMetrics().elidedText(QDir::toNativeSeparators(folder),
                                                          Qt::ElideMiddle, label->width() - 10);
    label->setText(shown);
    label->setToolTip(folder);
}

} // namespace app
