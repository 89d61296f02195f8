#include "app/pages/WebPreviewPane.h"

#include "app/pages/WebRtcBlock.h"
#include "app/pages/WorkingFolderFilter.h"

#include "model/FolderLayout.h"

#include <QWebEnginePage>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace app {

namespace {

QWebEngineView* offlineView(QWidget* parent) {
    const WebRtcBlock::EngineSwitches switches;
    auto* view = new QWebEngineView(parent);
    view->page(); // the engine starts with its first page, and reads its switches then
    return view;
}

} // namespace

WebPreviewPane::WebPreviewPane(QWidget* parent) : PreviewPane(offlineView(parent)) {
    // The album's player reads "data.xml" beside the page in the working folder; it has no
    // business on the network or elsewhere on the disk, and music waits for the user.
    QWebEngineSettings* settings = view()->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    view()->page()->setUrlRequestInterceptor(
        new WorkingFolderFilter([] { return model::Folders().PreviewFolder; }, view()));
    view()->page()->scripts().insert(WebRtcBlock::pageScript());
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
