#pragma once

#include <QDialog>

#include <functional>
#include <memory>

namespace Ui {
class frmAbout;
}

namespace app {

// The About box. Its caption and version line are templates ("About %s", "Version %s", or
// their translations) that are filled in while the box is shown and put back when it hides,
// so showing it again or switching the language never loses the placeholder.
class TfrmAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget* parent = nullptr);
    ~TfrmAbout() override;

    // Opens the website link; replaceable so tests can watch it.
    std::function<void(const QString&)> OpenLink;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::frmAbout> ui;
    void FillLabels();
    void lblWebsiteClick();

    QString captionTemplate_;
    QString versionTemplate_;
    bool filled_ = false;
};

} // namespace app
