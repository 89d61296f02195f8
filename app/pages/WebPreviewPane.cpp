#include "app/pages/WebPreviewPane.h"

#include "app/pages/WorkingFolderFilter.h"

#include "model/FolderLayout.h"

#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace app {

WebPreviewPane::WebPreviewPane(QWidget* parent) : PreviewPane(new QWebEngineView(parent)) {
    // The album's player reads "data.xml" beside the page in the working folder; it has no
    // business on the network or elsewhere on the disk, and music waits for the user.
    QWebEngineSettings* settings = view()->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    view()->page()->setUrlRequestInterceptor(
        new WorkingFolderFilter([] { return model::Folders().PreviewFolder; }, view()));
}

QWebEngineView* WebPreviewPane::view() const {
    return static_cast<QWebEngineView*>(widget());
}

void WebPreviewPane::navigate(const QUrl& url) {
    view()->setUrl(url);
}

QUrl WebPreviewPane::url() const {
    return view()->url();
}

} // namespace app
