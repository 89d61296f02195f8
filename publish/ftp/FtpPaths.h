#pragma once

#include <QString>

namespace publish {

// The web addresses offered after an upload: the likely one and the same without the usual
// document-root folder names.
struct ResultUrls {
    QString url;
    QString suggestion;
};

// Small text routines of the upload window.
class FtpPaths {
public:
    // "/" in front and at the end; "" gives "/". Backslashes count as "/".
    static QString ensureSlashedRemotePath(const QString& path);
    // The port number; 21 when the text is not a number from 1 to 65535.
    static int strToFtpPort(const QString& text);
    // One "*" per character.
    static QString maskPassword(const QString& password);
    // `name` inside the remote folder `folder` (as PWD answers it), with one "/" between.
    static QString joinRemote(const QString& folder, const QString& name);
    // Whether a name typed for a new remote folder names one folder inside the current one.
    static bool isPlainFolderName(const QString& name);
    // "http://" + host ("[address]" for IPv6) + the folder + page, every name of the folder
    // percent-encoded so that blanks, "#", "%" and letters beyond ASCII make a valid address.
    static QString webAddress(const QString& host, const QString& remoteFolder,
                              const QString& page);
    // The result address for `address`: empty or "http://" means the page in the remote folder;
    // an address ending in a name without "." gets "/"; with `replacePage` the page name
    // becomes "photogallery.htm".
    static ResultUrls resultUrls(const QString& address, bool replacePage, const QString& host,
                                 const QString& remoteFolder);
    // A name as the window shows it: every character that changes the writing direction
    // (embeddings, overrides, isolates, the direction marks) written out as "<U+202E>", so
    // that no name can show itself reordered ("gpj.exe" as "exe.jpg").
    static QString visibleName(const QString& name);
    // Only web addresses are opened from the window's links.
    static bool isWebAddress(const QString& text);
};

} // namespace publish
