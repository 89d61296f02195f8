#include "publish/UploadRequest.h"

namespace publish {

bool UploadRequest::CanUpload(const FtpLogin& login) {
    return !login.Host.trimmed().isEmpty() && !login.User.trimmed().isEmpty();
}

UploadRequest UploadRequest::From(const FtpLogin& login, const QString& publishFolder) {
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
    QString remote = dir;
    remote.replace(u'\\', u'/');
    if (!remote.startsWith(u'/'))
        remote.prepend(u'/');
    if (!remote.endsWith(u'/'))
        remote += u'/';
    return remote;
}

} // namespace publish
