#pragma once

#include "app/BusyState.h"

#include <QString>

namespace app {

class CancellableProgressDialog;
class TfrmProgress;

// A progress section: the main window busy and the progress window shown application-modal
// (so its Cancel button stays usable while everything else is blocked), with caption, label
// and position 0. However the section ends, the window is allowed to close and closed, the
// queue is pumped and the busy section ends.
class ProgressScope {
public:
    ProgressScope(BusyState& busy, TfrmProgress& window, const QString& caption,
                  const QString& label);
    // Any progress window, e.g. the image search's, with its caption only.
    ProgressScope(BusyState& busy, CancellableProgressDialog& window, const QString& caption);
    ~ProgressScope();
    ProgressScope(const ProgressScope&) = delete;
    ProgressScope& operator=(const ProgressScope&) = delete;

    bool cancelled() const;

private:
    BusyScope busy_;
    void show();

    CancellableProgressDialog& window_;
};

// Lets the event loop run once, so windows repaint and buttons can be pressed.
void pumpMessages();

} // namespace app
