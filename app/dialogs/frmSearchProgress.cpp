#include "app/dialogs/frmSearchProgress.h"

#include "ui_frmSearchProgress.h"

#include <QDir>
#include <QTextDocument>

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
    // Tool tips render anything that looks like markup; a folder name is shown as written.
    label->setToolTip(
        Qt::convertFromPlainText(QDir::toNativeSeparators(folder), Qt::WhiteSpaceNoWrap));
}

} // namespace app
