#pragma once

#include <QString>

namespace publish {

// The FTP defaults as the editor keeps them, handed over as plain values.
struct FtpLogin {
    QString Host;
    QString User;
    QString Password;
    QString Dir;
    QString TransferMode;
};

// Everything an upload of the published folder starts from: the upload window's values.
struct UploadRequest {
    QString Host;
    QString PortText = QStringLiteral("21");
    int Port = 21;
    QString User;
    QString Password;
    QString LocalFolder;  // the published folder, ending with "/"
    QString RemoteFolder; // begins and ends with "/"
    QString TransferMode;

    // False when the host or the user name is blank: the settings must be edited first.
    static bool CanUpload(const FtpLogin& login);

    static UploadRequest From(const FtpLogin& login, const QString& publishFolder);

    // "\" turned into "/", with "/" in front and at the end: "www\sub" gives "/www/sub/",
    // "" gives "/".
    static QString RemoteFolderOf(const QString& dir);
};

} // namespace publish
