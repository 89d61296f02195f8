#include "publish/UploadRequest.h"

#include <gtest/gtest.h>

using publish::FtpDefaults;
using publish::UploadRequest;

TEST(UploadRequest, RemoteFolderGetsSlashesAroundIt) {
    struct Case {
        const char* dir;
        const char* remote;
    } cases[] = {
        {"www\\sub", "/www/sub/"},
        {"", "/"},
        {"x", "/x/"},
        {"/", "/"},
        {"/a/", "/a/"},
        {"\\a", "/a/"},
        {"a/b", "/a/b/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UploadRequest::RemoteFolderOf(QString::fromLatin1(c.dir)).toStdString(), c.remote)
            << c.dir;
}

TEST(UploadRequest, BlankHostOrUserCannotUpload) {
    struct Case {
        const char* host;
        const char* user;
        bool can;
    } cases[] = {
        {"ftp.example.org", "me", true},
        {"   ", "me", false},
        {"ftp.example.org", " \t", false},
        {"", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UploadRequest::CanUpload(FtpDefaults{c.host, c.user, {}, {}, {}}), c.can) << c.host;
}

TEST(UploadRequest, CarriesTheLoginAndThePublishedFolder) {
    const FtpDefaults login{"ftp.example.org", "me", QStringLiteral("pä, ss "), "www\\sub", "passive"};
    const UploadRequest r = UploadRequest::From(login, QStringLiteral("/tmp/site"));
    EXPECT_EQ(r.Host, login.Host);
    EXPECT_EQ(r.PortText, QStringLiteral("21"));
    EXPECT_EQ(r.Port, 21);
    EXPECT_EQ(r.Password, login.Password);
    EXPECT_EQ(r.LocalFolder, QStringLiteral("/tmp/site/"));
    EXPECT_EQ(r.RemoteFolder, QStringLiteral("/www/sub/"));
    EXPECT_EQ(r.TransferMode, QStringLiteral("passive"));
}
