// Every writer that replaces a user's file, on a disk that fills while it writes: the old file
// stays byte for byte and the failure names the full disk. The new contents are less than a
// write buffer, so that only the flush before the commit can notice the missing bytes.

#include "app/SettingsFile.h"
#include "model/FileRoutines.h"
#include "model/document/Album.h"
#include "model/document/AlbumPage.h"
#include "model/image/ImageImport.h"
#include "model/templates/PackageInstaller.h"
#include "publish/embed/frmEmbedWizard.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/FileSizeCap.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"

#include <QStorageInfo>
#include <QTest>

#include <fcntl.h>
#include <sys/mount.h>

namespace {

// A folder on a tmpfs of its own that fill() leaves with `room` bytes, so a longer write fails
// with "no space left"; without the right to mount, files may grow by `room` bytes at most.
struct NearlyFullDisk {
    ~NearlyFullDisk() {
        if (real)
            ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    }
    void fill(qint64 room) {
        if (!real)
            cap = std::make_unique<testsupport::FileSizeCap>(room);
        QFile filler(folder + ".filler");
        if (real && filler.open(QIODevice::WriteOnly))
            ::posix_fallocate(filler.handle(), 0, QStorageInfo(folder).bytesAvailable() - room);
    }
    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/disk/");
    bool real = QDir().mkpath(folder) && ::mount("tmpfs", QFile::encodeName(folder).constData(),
                                                 "tmpfs", 0, "size=256k") == 0;
    std::unique_ptr<testsupport::FileSizeCap> cap;
};

// A row makes what it reads in `work`, calls fill() and writes `target`; a writer that answers
// only yes or no sets written and diskFull, the others throw.
struct Run {
    QString work, target, disk;
    std::function<void()> fill;
    bool written = true, diskFull = false;
    QString failure;
};
using Writer = std::function<void(Run&)>;
using apptest::writeText;

} // namespace

Q_DECLARE_METATYPE(Writer)

class FileWritersTest : public QObject {
    Q_OBJECT
    platform::ScriptedPrompts prompts_;

private slots:
    void initTestCase() { platform::setPrompts(&prompts_); }

    void aFullDiskKeepsTheOldFileAndIsNamed_data() {
        QTest::addColumn<QString>("file"); // the file the writer replaces, on the disk
        QTest::addColumn<Writer>("writer");
        const QByteArray text(10000, 'x');
        QTest::newRow("album page") << "index.html" << Writer([text](Run& r) {
            writeText(r.work + "page.htm", "<p>%_album_name_%</p>" + text);
            r.fill();
            model::TpaAlbumPage::Write(r.target, r.work + "page.htm", {});
        });
        QTest::newRow("data.xml") << "data.xml" << Writer([text](Run& r) {
            writeText(r.work + "album.xml", "<setting><level id=\"0\" caption=\"1\"><txt "
                                            "id=\"1\">T</txt></level></setting>");
            writeText(r.work + "data.xml",
                      "<photogallery><txt id=\"1\">" + text + "</txt></photogallery>");
            model::TpaAlbum album;
            album.LoadFromXml(r.work + "data.xml");
            r.fill();
            album.SaveToXml(r.target);
        });
        QTest::newRow("settings") << "brimlogallery.ini" << Writer([text](Run& r) {
            r.fill();
            app::FtpDefaults values;
            values.Dir = text;
            r.written = app::SettingsFile(r.disk).write(values, &r.diskFull);
        });
        // As publishing copies the album into the publish folder.
        QTest::newRow("file copies") << "copy.bin" << Writer([text](Run& r) {
            writeText(r.work + "site/copy.bin", text);
            r.fill();
            const model::CopyResult copied = model::CopyFolder(r.work + "site", r.disk);
            r.written = copied.done();
            r.diskFull = copied.diskFull;
        });
        QTest::newRow("installed list") << "installed.xml" << Writer([text](Run& r) {
            model::TpaInstalled installed;
            installed.Packages.GetOrAdd("p").Name = text;
            r.fill();
            installed.SaveToFile(r.target);
        });
        QTest::newRow("import") << "photo.jpg" << Writer([text](Run& r) {
            writeText(r.work + "photo.jpg", text);
            r.fill();
            model::ImportImageFile(r.work + "photo.jpg", 0, 0, r.disk, "photo.jpg");
        });
        QTest::newRow("embed wizard's page") << "home.htm" << Writer([this, text](Run& r) {
            publish::TfrmEmbedWizard wizard;
            wizard.Values.PublishFolder = r.disk;
            wizard.TargetFileName = "home.htm";
            wizard.MiddleCode = {text};
            r.fill();
            prompts_.answerButton(platform::PromptButton::Yes); // replace the old page
            wizard.btnP3ProcessClick();
        });
        // Template files unpacked by the archive engine, whose own texts do not name the disk;
        // both fit the unpack's free-space check, the second finds no whole page left.
        QTest::newRow("package install") << "t/data.xml" << Writer([](Run& r) {
            writeText(r.work + "pkg/t/album.xml", QByteArray(2000, 'a'));
            writeText(r.work + "pkg/t/data.xml", QByteArray(1000, 'd'));
            zip::TZipArchiver archiver;
            zip::ZipFolder(archiver, (r.work + "pkg/").toStdString(),
                           (r.work + "pkg.zip").toStdString());
            model::TpaPackageItem package;
            package.Templates.GetOrAdd("t");
            model::TpaInstalled installed;
            const model::TpaPackageInstaller::Callbacks callbacks{
                .askOverwrite = [](auto&) { return model::TpaPackageInstaller::Overwrite::Yes; },
                .templateFailed = [&r](auto&, const QString& why) { r.failure = why; }};
            r.fill();
            model::TpaPackageInstaller installer(archiver, r.disk, r.work + "pkg.zip");
            r.written = !installer.Install(package, installed, callbacks).installed.isEmpty();
        });
    }
    void aFullDiskKeepsTheOldFileAndIsNamed() {
        QFETCH(QString, file);
        QFETCH(Writer, writer);
        QTemporaryDir work;
        NearlyFullDisk disk;
        if (!disk.real && file.startsWith("t/"))
            QSKIP("only a disk that fills gets past the unpack's free-space check");
        Run run{work.path() + u'/', disk.folder + file, disk.folder, [&disk] { disk.fill(4096); }};
        const QByteArray old = "the old contents of " + file.toUtf8();
        writeText(run.target, old);
        const QStringList before = QDir(disk.folder).entryList(QDir::Files);
        try {
            writer(run);
        } catch (const std::exception& e) {
            run.written = false;
            run.failure = QString::fromUtf8(e.what());
        }
        QVERIFY(!run.written);
        QFile kept(run.target);
        QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == old);
        QCOMPARE(QDir(disk.folder).entryList(QDir::Files), before);
        if (disk.real) // else the cause is "file too large"
            QVERIFY2((run.diskFull || run.failure.contains("disk is full")) &&
                         (run.failure.isEmpty() || run.failure.contains(file)),
                     qPrintable(run.failure));
    }
};

QTEST_MAIN(FileWritersTest)
#include "tst_FileWriters.moc"
