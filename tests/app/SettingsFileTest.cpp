#include "app/SettingsFile.h"
#include "app/pages/GalleryThumbnail.h"

#include "tests/app/QtPrinters.h"
#include "tests/support/FileSizeCap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace app;

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(SettingsFile, DefaultsAreWrittenOnceAndValuesSurviveARoundTrip) {
    QTemporaryDir dir;
    SettingsFile file(dir.path());
    EXPECT_EQ(file.path(), dir.path() + "/brimlogallery.ini");
    EXPECT_EQ(file.read(), FtpDefaults{}); // no file yet: the defaults
    ASSERT_TRUE(file.createIfMissing());
    EXPECT_EQ(file.read().TransferMode, "active");

    FtpDefaults v;
    v.Host = QString::fromUtf8("ftp.example.org");
    v.User = QString::fromUtf8("jürgen");
    v.Password = " ;,=\"\\pass\nword ";
    v.Dir = "/www/albums";
    v.TransferMode = "passive";
    ASSERT_TRUE(file.write(v));
    EXPECT_EQ(file.read(), v);
    // An existing file is left as it is.
    const QByteArray before = readAll(file.path());
    ASSERT_TRUE(file.createIfMissing());
    EXPECT_EQ(readAll(file.path()), before);
    EXPECT_FALSE(QFile::permissions(file.path()) &
                 (QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

TEST(SettingsFile, MissingKeysGiveTheirDefaultsAndAFailedWriteKeepsTheFile) {
    QTemporaryDir dir;
    SettingsFile file(dir.path());
    {
        QFile f(file.path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Settings]\ndefFtpHost=h\n");
    }
    const FtpDefaults v = file.read();
    EXPECT_EQ(v.Host, "h");
    EXPECT_EQ(v.TransferMode, "active");

    // A folder that cannot take the file (a file stands where the folder should be).
    QFile blocker(dir.path() + "/notafolder");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsFile broken(dir.path() + "/notafolder");
    EXPECT_FALSE(broken.write(v));
    EXPECT_FALSE(broken.createIfMissing());
    EXPECT_EQ(readAll(dir.path() + "/notafolder"), QByteArray());

    // A write that runs out of room half-way leaves the file as it was.
    const QByteArray before = readAll(file.path());
    FtpDefaults longer = v;
    longer.Dir = QString(4000, QLatin1Char('d'));
    {
        const testsupport::FileSizeCap cap(1024);
        EXPECT_FALSE(file.write(longer));
    }
    EXPECT_EQ(readAll(file.path()), before);
    EXPECT_EQ(file.read().Host, "h");
}

TEST(SettingsFile, EveryValueComesBackAsWrittenAndHandEditedKeysAreRead) {
    // Values that an INI reader with its own conventions would change: "@" prefixes, comment
    // and escape characters, surrounding blanks.
    const QStringList awkward = {"@@x",         "@Invalid()", "@ByteArray(abc)",
                                 "@Variant(x)", "a\tb",       "\\x41",
                                 "#hash",       ";semi",      "a,b",
                                 "[Settings]",  "\t",         QString("x") + QChar(1) + "y",
                                 "\\",          "\"",         "\"x\"",
                                 "a\\nb",       "\r\n",       QString::fromUtf8("p\u00e4\u20ac")};
    QTemporaryDir dir;
    SettingsFile file(dir.path());
    for (const QString& value : awkward) {
        FtpDefaults v;
        v.Host = value;
        v.Password = value;
        v.Dir = value + value;
        ASSERT_TRUE(file.write(v));
        // Read at once after writing: no earlier reading of the file may answer instead.
        EXPECT_EQ(file.read(), v) << value.toStdString();
    }

    QFile f(file.path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("; written by hand\n[Other]\ndefFtpHost=wrong\n[ settings ]\nDEFFTPHOST = h \n"
            "defftphost=second\ndefFtpTransferMode=passive\n");
    f.close();
    const FtpDefaults v = file.read();
    EXPECT_EQ(v.Host, "h");
    EXPECT_EQ(v.TransferMode, "passive");
    EXPECT_EQ(v.User, "");
}

TEST(GalleryThumbnail, PicturesAreCentredNeverEnlargedAndPhotosFramed) {
    EXPECT_EQ(GalleryThumbnail::fit({60, 40}, {136, 136}), QSize(60, 40));
    EXPECT_EQ(GalleryThumbnail::fit({300, 150}, {136, 136}), QSize(136, 68));
    EXPECT_EQ(GalleryThumbnail::fit({1, 5000}, {136, 136}), QSize(1, 136));
    EXPECT_EQ(GalleryThumbnail::fit({0, 10}, {136, 136}), QSize());

    const QColor white(Qt::white), grey(128, 128, 128), shadow(0x60, 0x60, 0x60);
    QImage picture(300, 150, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    // 300x150 -> 136x68 at x = 6, y = 41; drawn one line up.
    const QImage framed = GalleryThumbnail::cell(picture, true, white, grey);
    EXPECT_EQ(QColor(framed.pixel(0, 0)), grey); // cell outline
    EXPECT_EQ(QColor(framed.pixel(75, 75)), QColor(Qt::blue));
    EXPECT_EQ(QColor(framed.pixel(6 + 1, 41 + 68 + 1)), shadow);   // bottom shadow strip
    EXPECT_EQ(QColor(framed.pixel(6 + 136 + 2, 41 + 10)), shadow); // right shadow strip
    EXPECT_EQ(QColor(framed.pixel(4, 60)), grey);                  // frame line at x - 2
    const QImage plain = GalleryThumbnail::cell(picture, false, white, grey);
    EXPECT_EQ(QColor(plain.pixel(6 + 1, 41 + 68 + 1)), white);
    EXPECT_EQ(QColor(plain.pixel(4, 60)), white);
    // No picture: the placeholder.
    EXPECT_EQ(GalleryThumbnail::cell(QImage(), true, white, grey),
              GalleryThumbnail::placeholder(white, grey));
}
