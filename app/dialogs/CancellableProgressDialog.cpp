#include "app/dialogs/CancellableProgressDialog.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QShowEvent>

namespace app {

CancellableProgressDialog::CancellableProgressDialog(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
}

void CancellableProgressDialog::finishSetUp(QPushButton* cancel, const QSize& clientArea) {
    setFixedSize(clientArea);
    connect(cancel, &QPushButton::clicked, this, &CancellableProgressDialog::btCancelClick);
}

void CancellableProgressDialog::finish() {
    CanClose = true;
    close();
}

void CancellableProgressDialog::showEvent(QShowEvent* event) {
    // A new run begins when the code shows the window; the window system showing it again
    // (restored from minimised) is still the same run, and its Cancel still counts.
    if (!event->spontaneous()) {
        Cancelled = false;
        CanClose = false;
    }
    QDialog::showEvent(event);
}

void CancellableProgressDialog::closeEvent(QCloseEvent* event) {
    if (!CanClose) {
        event->ignore();
        return;
    }
    event->accept();
    hide();
}

// Esc lands here; it must not hide the window behind the work's back.
void CancellableProgressDialog::reject() {
    btCancelClick();
}

void CancellableProgressDialog::btCancelClick() {
    Cancelled = true;
}

} // namespace app
