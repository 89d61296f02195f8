#pragma once

#include <QString>
#include <QUrl>

namespace app {

// The address scheme through which the album preview reads the working folder: the pane never
// loads a "file:" address, and the engine's own rule keeps "file:" out of reach of a page of
// another scheme, whatever it runs (frames, workers, blobs). One origin, "fotrenza://album",
// for the whole folder; a secure context, as "file:" was, and readable by the page's
// requests, as a web server's files are.
class AlbumScheme {
public:
    static const QByteArray kName;
    static const QString kHost;

    // Registers the scheme with the browser engine; before the application object exists.
    static void registerScheme();
    // Whether it was registered in time.
    static bool registered();

    // The address of the file `path` names inside `folder`, or an empty address.
    static QUrl urlFor(const QString& folder, const QString& path);
    // Whether `url` is an address of the scheme.
    static bool holds(const QUrl& url);
    // The path below the folder that `url` names ("/" first, decoded), or empty when the
    // address is not one of the scheme's.
    static QString pathOf(const QUrl& url);
};

} // namespace app
