#include "publish/UploadRequest.h"

#include "publish/ftp/FtpPaths.h"

namespace publish {

bool UploadRequest::CanUpload(const FtpDefaults& login) {
    return !login.Host.trimmed().isEmpty() && !login.User.trimmed().isEmpty();
}

UploadRequest UploadRequest::From(const FtpDefaults& login, const QString& publishFolder) {
    UploadRequest r;
    r.Host = login.Host;
    r.User = login.User;
    r.Password = login.Password;
    r.LocalFolder = publishFolder;
    r.LocalFolder.replace(u'\\', u'/');
    if (!r.LocalFolder.endsWith(u'/'))
        r.LocalFolder += u'/';
    r.RemoteFolder = RemoteFolderOf(login.Dir);
    r.TransferMode = login.TransferMode;
    return r;
}

QString UploadRequest::RemoteFolderOf(const QString& dir) {
    return FtpPaths::ensureSlashedRemotePath(dir);
}

} // namespace publish
