#include "publish/preview/ForwardPages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace publish {

namespace {

QString htmlEscaped(const QString& text) {
    return text.toHtmlEscaped().replace(u'\'', QStringLiteral("&#39;"));
}

} // namespace

ForwardPages::~ForwardPages() {
    for (const QString& page : written_)
        QFile::remove(page);
}

QString ForwardPages::folder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

QString ForwardPages::write(const QUrl& address) {
    if (!address.isValid())
        return QString();
    const QString to = htmlEscaped(address.toString(QUrl::FullyEncoded));
    // The script forwards at once without leaving this page in the history; the refresh is for
    // a browser that runs no script (both at once would load the address twice). The page
    // sends no referrer.
    const QByteArray page =
        QStringLiteral(
            "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
            "<meta name=\"referrer\" content=\"no-referrer\">"
            "<noscript><meta http-equiv=\"refresh\" content=\"0;url=%1\"></noscript>"
            "<title>Preview</title></head>\n"
            "<body><a href=\"%1\">Preview</a>"
            "<script>location.replace(document.querySelector('a').href);</script></body></html>\n")
            .arg(to)
            .toUtf8();
    // Created for the owner only (0600), under a name nobody can claim first.
    QTemporaryFile file(folder() + QStringLiteral("/fotrenza-preview-XXXXXX.html"));
    file.setAutoRemove(false);
    if (!file.open())
        return QString();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString path = file.fileName();
    if (file.write(page) != page.size() || !file.flush()) {
        file.close();
        QFile::remove(path);
        return QString();
    }
    file.close();
    written_ << path;
    return path;
}

} // namespace publish
