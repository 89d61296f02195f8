#pragma once

#include "publish/ftp/FtpDefaults.h"

#include <QString>

namespace publish {

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
    static bool CanUpload(const FtpDefaults& login);

    static UploadRequest From(const FtpDefaults& login, const QString& publishFolder);

    // "\" turned into "/", with "/" in front and at the end: "www\sub" gives "/www/sub/",
    // "" gives "/".
    static QString RemoteFolderOf(const QString& dir);
};

} // namespace publish
