#pragma once

#include <QDialog>

class QPushButton;

namespace app {

// A progress window that the user cannot close: its Cancel button (and Esc) only raise the
// Cancelled flag that the running work polls; the window closes once the code that showed
// it sets CanClose. Both flags are cleared on every show.
class CancellableProgressDialog : public QDialog {
    Q_OBJECT

public:
    explicit CancellableProgressDialog(QWidget* parent = nullptr);

    bool Cancelled = false;
    bool CanClose = false;

    // Sets CanClose and closes the window.
    void finish();

protected:
    // Called by the window once its form is set up: the fixed client area and the button
    // that raises the Cancelled flag.
    void finishSetUp(QPushButton* cancel, const QSize& clientArea);
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void reject() override;
    void btCancelClick();
};

} // namespace app
