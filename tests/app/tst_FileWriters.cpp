// Every writer that replaces a user's file, on a disk that fills while it writes: the old file
// stays byte for byte, the failure is reported, and a full disk is named as such. The new
// contents are larger than the room left but smaller than a file's write buffer, so that only
// the flush before the commit can notice the missing bytes.

#include "app/SettingsFile.h"

#include "model/Errors.h"
#include "model/FileRoutines.h"
#include "model/document/Album.h"
#include "model/document/AlbumPage.h"
#include "model/image/ImageImport.h"
#include "model/items/Item.h"
#include "model/settings/AlbumSettingsTextField.h"
#include "model/templates/Installed.h"
#include "model/tree/TreeNode.h"
#include "publish/embed/frmEmbedWizard.h"
#include "tests/support/NearlyFullDisk.h"
#include "tests/support/ScriptedPrompts.h"

#include <QBuffer>
#include <QImage>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

constexpr qint64 RoomLeft = 4096;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

// Text of about 10 KB: more than the room left, less than a write buffer.
QString longText() {
    return QString(10000, u'x');
}

// A JPEG of noise, too large for the room left.
QByteArray noisyJpeg() {
    QImage image(64, 64, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 100);
    return bytes;
}

struct Writer {
    const char* name;
    const char* file; // the file it replaces, in the disk's folder
    // Makes what the writer reads in `work` (not on the disk).
    std::function<void(const QString& work)> prepare;
    // Writes the file; false or an exception for a failure.
    std::function<bool(const QString& work, const QString& target)> write;
};

} // namespace

class FileWritersTest : public QObject {
    Q_OBJECT

    // The writers, in a table that the test rows pick from.
    static std::vector<Writer> writers(platform::ScriptedPrompts& prompts) {
        auto album = std::make_shared<model::TpaAlbum>();
        auto wizard = std::make_shared<std::unique_ptr<publish::TfrmEmbedWizard>>();
        return {
            {"album page", "index.html",
             [](const QString& work) {
                 writeAll(work + "page.htm", "<p>%_album_name_%</p>" + QByteArray(10000, 'p'));
             },
             [](const QString& work, const QString& target) {
                 model::TpaAlbumPage::Write(target, work + "page.htm", {});
                 return true;
             }},
            {"data.xml", "data.xml",
             [album](const QString& work) {
                 writeAll(work + "album.xml", "<setting><level id=\"0\" caption=\"1\"><txt "
                                              "id=\"1\">T</txt></level></setting>");
                 writeAll(work + "data.xml", "<photogallery><txt id=\"1\">a</txt></photogallery>");
                 album->LoadFromXml(work + "data.xml");
                 album->Tree().Root()->Item()->CaptionField()->Value = longText();
             },
             [album](const QString&, const QString& target) {
                 album->SaveToXml(target);
                 return true;
             }},
            {"settings", "brimlogallery.ini", [](const QString&) {},
             [](const QString&, const QString& target) {
                 app::FtpDefaults values;
                 values.Dir = longText();
                 return app::SettingsFile(QFileInfo(target).path()).write(values);
             }},
            {"file copy", "copy.bin",
             [](const QString& work) { writeAll(work + "source.bin", QByteArray(10000, 'c')); },
             [](const QString& work, const QString& target) {
                 return model::CopyFileContents(work + "source.bin", target);
             }},
            {"installed list", "installed.xml",
             [](const QString& work) {
                 writeAll(work + "installed.xml", "<installed><packages><package id=\"p\" name=\"" +
                                                      longText().toUtf8() +
                                                      "\"/></packages></installed>");
             },
             [](const QString& work, const QString& target) {
                 model::TpaInstalled installed;
                 installed.LoadFromFile(work + "installed.xml");
                 installed.SaveToFile(target);
                 return true;
             }},
            {"import", "photo.jpg",
             [](const QString& work) { writeAll(work + "photo.jpg", noisyJpeg()); },
             [](const QString& work, const QString& target) {
                 model::ImportImageFile(work + "photo.jpg", 0, 0, QFileInfo(target).path(),
                                        QFileInfo(target).fileName());
                 return true;
             }},
            {"embed wizard's page", "home.htm",
             [wizard](const QString& work) {
                 writeAll(work + "embed.htm", "<div>%_album_width_%</div>\r\n");
                 writeAll(work + "mine/home.htm", "<html><body>{brimlo_lumivex}" +
                                                      QByteArray(10000, 'h') + "</body></html>");
                 *wizard = std::make_unique<publish::TfrmEmbedWizard>();
                 publish::PublishingValues& v = (*wizard)->Values;
                 v.AlbumWidth = "640";
                 v.AlbumHeight = "480";
                 v.BaseFolder = "pictavo/";
                 v.EmbedSymbol = "{brimlo_lumivex}";
                 v.EmbedPageFile = v.EmbedPageNoJsFile = work + "embed.htm";
                 v.WidthToken = "%_album_width_%";
                 v.BaseFolderToken = "%_album_base_folder_%";
             },
             [wizard, &prompts](const QString& work, const QString& target) {
                 (*wizard)->Values.PublishFolder = QFileInfo(target).path() + u'/';
                 (*wizard)->show();
                 (*wizard)->findChild<QPushButton*>("btnP1Next")->click();
                 prompts.answerText((work + "mine/home.htm").toStdString());
                 (*wizard)->findChild<QPushButton*>("TntButton7")->click();
                 (*wizard)->btnP2NextClick();
                 prompts.answerButton(platform::PromptButton::Yes); // replace the old page
                 (*wizard)->btnP3ProcessClick();
                 return true;
             }},
        };
    }

private slots:
    void aFullDiskKeepsTheOldFileAndIsNamed_data() {
        QTest::addColumn<int>("row");
        platform::ScriptedPrompts prompts;
        const std::vector<Writer> all = writers(prompts);
        for (std::size_t i = 0; i < all.size(); ++i)
            QTest::newRow(all[i].name) << int(i);
    }
    void aFullDiskKeepsTheOldFileAndIsNamed() {
        QFETCH(int, row);
        platform::ScriptedPrompts prompts;
        struct Installed {
            explicit Installed(platform::ScriptedPrompts* p) { platform::setPrompts(p); }
            ~Installed() { platform::setPrompts(nullptr); }
        } installed(&prompts);
        const Writer writer = writers(prompts)[std::size_t(row)];
        {
            QTemporaryDir work;
            const QString workFolder = work.path() + u'/';
            writer.prepare(workFolder);
            testsupport::NearlyFullDisk disk;
            const QString target = disk.folder() + writer.file;
            const QByteArray old = "the old contents of " + QByteArray(writer.file);
            writeAll(target, old);
            const QStringList before = QDir(disk.folder()).entryList(QDir::Files);
            disk.fill(RoomLeft);
            QString failure;
            bool written = false;
            try {
                written = writer.write(workFolder, target);
            } catch (const model::DiskFullError& e) {
                failure = e.message();
            } catch (const std::exception& e) {
                failure = QString::fromUtf8(e.what()) + " (not named as a full disk)";
            }
            QVERIFY2(!written, writer.name);
            QVERIFY2(readAll(target) == old, writer.name);
            QVERIFY2(QDir(disk.folder()).entryList(QDir::Files) == before, writer.name);
            // The settings and the copy answer by their result; the rest name the disk.
            if (disk.real() && QByteArray(writer.name) != "settings" &&
                QByteArray(writer.name) != "file copy")
                QVERIFY2(failure.contains("disk is full") && failure.contains(writer.file),
                         qPrintable(QString(writer.name) + ": " + failure));
        }
    }
};

QTEST_MAIN(FileWritersTest)
#include "tst_FileWriters.moc"
