#include "publish/ftp/ListedUploads.h"
#include "publish/ftp/FtpSession.h"

#include <gtest/gtest.h>

using publish::FtpError;
using publish::ListedUploads;

TEST(ListedUploads, AFileCountsOnlyWhereTheListingShowsItWhole) {
    const QString line = QStringLiteral("-rw-r--r-- 1 u g %1 Jan 1 00:00 %2");
    struct Case {
        const char* title;
        QStringList listing;
        const char* failure; // nullptr: every file is whole
    } const cases[] = {
        {"whole", {line.arg(5000).arg("a b.jpg"), line.arg(0).arg("empty")}, nullptr},
        {"one byte short",
         {line.arg(4999).arg("a b.jpg"), line.arg(0).arg("empty")},
         "Uploading \"a b.jpg\" failed: the server lists 4999 of the 5000 bytes, so \"a b.jpg\" "
         "is incomplete on the server."},
        {"one byte more", {line.arg(5001).arg("a b.jpg"), line.arg(0).arg("empty")}, "5001 of"},
        {"missing", {line.arg(0).arg("empty")}, "does not list \"a b.jpg\" after 5000 bytes"},
        {"a folder of the name",
         {QStringLiteral("drwxr-xr-x 1 u g 5000 Jan 1 00:00 a b.jpg"), line.arg(0).arg("empty")},
         "does not list \"a b.jpg\""},
        {"no size",
         {QStringLiteral("-rw-r--r-- 1 u g x Jan 1 00:00 a b.jpg"), line.arg(0).arg("empty")},
         "tells neither by SIZE nor in its listing"},
        {"another format", {QStringLiteral("01-01-24  10:00AM  5000 a b.jpg")}, "does not list"},
        {"lines end in CR", {line.arg(5000).arg("a b.jpg\r"), line.arg(0).arg("empty\r")}, nullptr},
        {"a name that ends another",
         {line.arg(5000).arg("xa b.jpg"), line.arg(0).arg("empty")},
         "does not list"},
    };
    ListedUploads files;
    files.add(QStringLiteral("a b.jpg"), 5000);
    files.add(QStringLiteral("empty"), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        QString failure;
        try {
            files.check(c.listing);
        } catch (const FtpError& e) {
            failure = e.message();
        }
        if (!c.failure)
            EXPECT_EQ(failure, QString());
        else
            EXPECT_TRUE(failure.contains(QString::fromUtf8(c.failure))) << failure.toStdString();
    }
    EXPECT_TRUE(ListedUploads().isEmpty());
    EXPECT_FALSE(files.isEmpty());
}
