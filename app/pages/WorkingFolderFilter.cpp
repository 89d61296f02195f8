#include "app/pages/WorkingFolderFilter.h"

#include <QFileInfo>

namespace app {

WorkingFolderFilter::WorkingFolderFilter(std::function<QString()> folder, QObject* parent)
    : QWebEngineUrlRequestInterceptor(parent), folder_(std::move(folder)) {}

void WorkingFolderFilter::interceptRequest(QWebEngineUrlRequestInfo& info) {
    if (!allows(info.requestUrl()))
        info.block(true);
}

bool WorkingFolderFilter::allows(const QUrl& url) const {
    // What the page makes of itself: inline data and its own objects.
    const QString scheme = url.scheme();
    if (scheme == u"data" || scheme == u"blob" || url.toString() == u"about:blank")
        return true;
    if (!url.isLocalFile() || !folder_)
        return false;
    const QString root = QFileInfo(folder_()).canonicalFilePath();
    const QString file = QFileInfo(url.toLocalFile()).canonicalFilePath();
    return !root.isEmpty() && !file.isEmpty() && file.startsWith(root + u'/');
}

} // namespace app
