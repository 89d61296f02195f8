#include "publish/LinkOpener.h"

#include "platform/ShellOpen.h"

#include <QFileInfo>
#include <QUrl>

namespace publish {

bool openLink(const QString& target) {
    const QString t = target.trimmed();
    if (t.isEmpty())
        return false;
    if (QFileInfo::exists(t))
        return platform::shellOpen(t);
    const QUrl url(t, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty())
        return platform::shellOpen(url.toString());
    return false;
}

} // namespace publish
