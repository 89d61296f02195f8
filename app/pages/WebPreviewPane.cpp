#include "app/pages/WebPreviewPane.h"

#include "app/pages/AlbumFolderHandler.h"
#include "app/pages/AlbumRequestFilter.h"
#include "app/pages/AlbumScheme.h"
#include "app/pages/EngineSwitches.h"

#include "model/FolderLayout.h"

#include <QDir>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace app {

namespace {

QString workingFolder() {
    return model::Folders().PreviewFolder;
}

// A view on a profile of its own, which keeps nothing on the disk and reads the album through
// the album scheme alone.
QWebEngineView* sealedView(QWidget* parent) {
    // The engine starts with the first profile, and reads its switches then.
    const EngineSwitches switches;
    auto* profile = new QWebEngineProfile(); // off the record
    auto* view = new QWebEngineView(profile, parent);
    profile->setParent(view); // after the view's page, which goes first
    if (AlbumScheme::registered())
        profile->installUrlSchemeHandler(AlbumScheme::kName,
                                         new AlbumFolderHandler(workingFolder, profile));
    else
        qWarning("The album preview shows nothing: its address scheme was not registered.");
    profile->setUrlRequestInterceptor(new AlbumRequestFilter(profile));
    // The album's player reads "data.xml" beside the page; it has no business on the network
    // or elsewhere on the disk, nor in other programs, and music waits for the user.
    QWebEngineSettings* settings = profile->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, true);
    settings->setUnknownUrlSchemePolicy(QWebEngineSettings::DisallowUnknownUrlSchemes);
    return view;
}

} // namespace

WebPreviewPane::WebPreviewPane(QWidget* parent) : PreviewPane(sealedView(parent)) {}

QWebEngineView* WebPreviewPane::view() const {
    return static_cast<QWebEngineView*>(widget());
}

void WebPreviewPane::navigate(const QUrl& url) {
    // Files of the working folder are shown through the album scheme; nothing else is.
    view()->setUrl(url.isLocalFile() ? AlbumScheme::urlFor(workingFolder(), url.toLocalFile())
                                     : QUrl());
}

QUrl WebPreviewPane::url() const {
    const QUrl shown = view()->url();
    const QString path = AlbumScheme::pathOf(shown);
    return path.isEmpty() ? shown : QUrl::fromLocalFile(QDir::cleanPath(workingFolder()) + path);
}

} // namespace app
