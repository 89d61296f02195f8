#include "app/dialogs/ProgressScope.h"

#include "app/dialogs/frmProgress.h"

#include <QCoreApplication>

namespace app {

void pumpMessages() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

ProgressScope::ProgressScope(BusyState& busy, TfrmProgress& window, const QString& caption,
                             const QString& label)
    : busy_(busy), window_(window) {
    window.setWindowTitle(caption);
    window.setOverall(label);
    window.setPosition(0);
    show();
}

ProgressScope::ProgressScope(BusyState& busy, CancellableProgressDialog& window,
                             const QString& caption)
    : busy_(busy), window_(window) {
    window.setWindowTitle(caption);
    show();
}

void ProgressScope::show() {
    window_.setWindowModality(Qt::ApplicationModal);
    window_.show();
    window_.raise();
    pumpMessages();
}

ProgressScope::~ProgressScope() {
    window_.finish();
    pumpMessages();
}

bool ProgressScope::cancelled() const {
    return window_.Cancelled;
}

} // namespace app
