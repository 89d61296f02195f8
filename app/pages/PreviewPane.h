#pragma once

#include <QUrl>

#include <memory>

class QWidget;

namespace app {

// Where the album preview is shown: the embedded browser, or in tests a pane that only
// records what it was asked to load.
class PreviewPane {
public:
    virtual ~PreviewPane() = default;
    QWidget* widget() const { return widget_; }
    virtual void navigate(const QUrl& url) = 0;
    virtual QUrl url() const = 0;

    // The embedded browser.
    static std::unique_ptr<PreviewPane> create(QWidget* parent);

protected:
    // The widget that shows the preview, named as the form names its browser; owned by its
    // parent widget.
    explicit PreviewPane(QWidget* widget);

private:
    QWidget* widget_;
};

} // namespace app
