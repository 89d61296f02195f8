// A full disk on every road that writes, met in German: the last box, under the program's
// name, names the full disk and the file that could not be written (never a template's own),
// whatever was answered in the archive engine's boxes before it, though they run an event loop
// and change errno as real ones do. Too little room to open an album says how much it needs.

#include "tests/app/commands/CommandsTestSupport.h"
#include "tests/app/frames/FramesTestSupport.h"
#include "tests/model/templates/PackageTestSupport.h"

#include "app/commands/CommandGuard.h"
#include "app/commands/FileCommands.h"
#include "app/commands/PhotoCommands.h"
#include "app/commands/TreeCommands.h"
#include "app/frames/TfrmImageField.h"
#include "app/frames/TfrmMusicField.h"

#include <QActionGroup>
#include <QEventLoop>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>

namespace {

// An editor with the sample album's language German; `disk` is a tmpfs of 4 MiB mounted on
// the album file's folder (out) or above the data folder, which a close empties.
struct Road {
    frametest::Window t;
    QString out = t.env.dir.path() + "/out/", disk;
    bool ignoreAll = false; // Ignore wherever a box offers it, else the default answer
    Road() {
        for (QAction* item : t.w->languageGroup()->actions())
            if (item->data().toString() == "de")
                item->trigger();
        t.env.prompts.whileShown = [this] {
            QEventLoop loop;
            QTimer::singleShot(1, &loop, &QEventLoop::quit);
            loop.exec();
            errno = EINTR;
            if (ignoreAll && std::ranges::count(t.env.prompts.calls().back().buttons,
                                                platform::PromptButton::Ignore))
                t.env.prompts.answerButton(platform::PromptButton::Ignore);
        };
    }
    ~Road() { ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH); }
    // Mounts the disk on where (dataDisk() for the data folder's) and loads the album.
    bool mount(const QString& where, bool album = true) {
        disk = where;
        QDir().mkpath(disk);
        const bool mounted =
            ::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=4m") == 0;
        QDir().mkpath(model::Folders().PreviewFolder);
        if (album)
            t.load("");
        return mounted;
    }
    static QString dataDisk() {
        return QDir::cleanPath(model::Folders().DataFolder + "/..") + u'/';
    }
    void fill(qint64 room = 4096) { // leaves room bytes free
        QFile filler(disk + ".filler");
        if (filler.open(QIODevice::WriteOnly))
            ::posix_fallocate(filler.handle(), 0, QStorageInfo(disk).bytesAvailable() - room);
    }
    app::CommandSet& commands() { return t.env.commands->real; }
    void trigger(const char* name) { apptest::action(*t.w, name)->trigger(); }
    QString file(const QString& name, qint64 bytes) { // random, so nothing shrinks it
        QByteArray data(bytes, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(data.data()), bytes / 4);
        apptest::writeText(t.env.dir.path() + "/src/" + name, data);
        return t.env.dir.path() + "/src/" + name;
    }
    QString picture() {
        QImage noise(400, 300, QImage::Format_RGB32);
        QRandomGenerator(3).fillRange(reinterpret_cast<quint32*>(noise.bits()), 400 * 300);
        const QString path = file("noise.jpg", 0);
        noise.save(path, "JPEG", 100);
        return path;
    }
};

// Sets the disk up and runs the command; false when no disk could be mounted.
using Step = std::function<bool(Road&)>;

} // namespace

Q_DECLARE_METATYPE(Step)

class DiskFullRoadsTest : public QObject {
    Q_OBJECT

private slots:
    void aFullDiskIsNamedInGermanOnEveryRoad_data() {
        QTest::addColumn<Step>("step");
        QTest::addColumn<bool>("ignoreAll");
        QTest::addColumn<QStringList>("named"); // what the last box holds
        const QString full = "Der Datenträger ist voll";
        const Step save = [](Road& r) {
            const bool mounted = r.mount(r.out);
            r.t.env.prompts.answerText((r.out + "A.zip").toStdString());
            r.trigger("acFileSaveAs");
            r.fill();
            r.t.w->album().SetModified(true);
            r.trigger("acFileSave");
            return mounted;
        };
        QTest::newRow("save, boxes answered by default")
            << save << false << QStringList{full, "A.zip", "behält ihren bisherigen Inhalt"};
        QTest::newRow("save, Ignore on every member") << save << true << QStringList{full, "A.zip"};
        QTest::newRow("Save As") << Step([](Road& r) {
            const bool mounted = r.mount(r.out);
            r.fill();
            r.t.env.prompts.answerText((r.out + "B.zip").toStdString());
            r.trigger("acFileSaveAs");
            return mounted;
        }) << false << QStringList{full, "B.zip", "nicht unter"};
        QTest::newRow("publish") << Step([](Road& r) {
            const bool mounted = r.mount(r.out);
            r.fill();
            r.t.env.prompts.answerText(r.out.toStdString());
            r.trigger("acFilePublish");
            return mounted;
        }) << false << QStringList{full, "pictavo", "nicht vollständig"};
        QTest::newRow("import") << Step([](Road& r) {
            const bool mounted = r.mount(Road::dataDisk());
            r.fill();
            r.commands().tree().AddGallery(false);
            r.commands().photo().AddFiles({r.picture()}, "c", "l");
            return mounted;
        }) << false << QStringList{full, "pictavo_images"};
        QTest::newRow("Change Image") << Step([](Road& r) {
            const bool mounted = r.mount(Road::dataDisk());
            r.commands().tree().AddGallery(false);
            r.commands().photo().AddFiles({commandtest::picture(r.out + "a.jpg")}, "c", "l");
            r.fill();
            r.t.env.prompts.answerText(r.picture().toStdString());
            r.t.env.prompts.answerButton(platform::PromptButton::Yes);
            r.commands().photo().ChangeImage();
            return mounted;
        }) << false << QStringList{full, "pictavo_images"};
        QTest::newRow("music") << Step([](Road& r) {
            const bool mounted = r.mount(Road::dataDisk());
            r.fill();
            r.t.select(r.t.root());
            r.t.env.prompts.answerText(r.file("song.mp3", 65536).toStdString());
            frametest::part<QPushButton>(
                r.t.frame<app::TfrmMusicField>("sbAlbumSettings_MusicFieldFrame"), "btBrowse")
                ->click();
            return mounted;
        }) << false << QStringList{full, "pictavo_music"};
        QTest::newRow("album picture") << Step([](Road& r) {
            const bool mounted = r.mount(Road::dataDisk());
            r.fill();
            r.t.select(r.t.root());
            r.t.env.prompts.answerText(r.picture().toStdString());
            frametest::part<QPushButton>(
                r.t.frame<app::TfrmImageField>("sbAlbumSettings_ImageFieldFrame0"), "btChange")
                ->click();
            return mounted;
        }) << false << QStringList{full, "pictavo_images"};
        QTest::newRow("new album") << Step([](Road& r) {
            const bool mounted = r.mount(Road::dataDisk(), false);
            r.fill(8192); // less than the template's player
            app::guarded([&r] {
                r.commands().file().NewAlbum(app::TemplateEntry{
                    "fz-simple", model::Folders().TemplatesFolder + "fz-simple/"});
            });
            return mounted;
        }) << false << QStringList{full, "/Preview/"};
        QTest::newRow("Update Project File") << Step([](Road& r) {
            const bool mounted = r.mount(Road::dataDisk());
            r.fill(0);
            r.t.env.prompts.answerButton(platform::PromptButton::Ok);
            r.trigger("acFileUpdateProjectFile");
            return mounted;
        }) << false << QStringList{full, "/Preview/"};
        QTest::newRow("open, too little room") << Step([](Road& r) {
            r.t.load("");
            QFile::copy(r.file("big.bin", 3 << 20), model::Folders().PreviewFolder + "big.bin");
            r.t.env.prompts.answerText((r.out + "big.zip").toStdString());
            QDir().mkpath(r.out);
            r.trigger("acFileSaveAs");
            r.t.w->album().SetModified(false);
            const bool mounted =
                r.commands().file().CloseAlbum() && r.mount(Road::dataDisk(), false);
            r.fill(1 << 20);
            r.commands().file().OpenAlbum(r.out + "big.zip");
            return mounted;
        }) << false << QStringList{"nicht genug Platz", "Bytes"};
        QTest::newRow("package install, too little room") << Step([](Road& r) {
            QFile random(r.file("big.bin", 1 << 20));
            random.open(QIODevice::ReadOnly);
            const QString package = r.t.env.dir.path() + "/pkg.zip";
            packagetest::WritePackage(
                package, packagetest::PackageXml("p", "P", {{"t1", "One"}}), {"t1"},
                {{"t1/big.bin", ziptest::Bytes(random.readAll().toStdString())}});
            const bool mounted = r.mount(model::Folders().TemplatesFolder, false);
            r.fill(512 * 1024);
            r.t.env.prompts.answerText(package.toStdString());
            r.trigger("acFileInstallNewAlbum");
            return mounted;
        }) << false << QStringList{"Die Vorlage \"One\"", "nicht genug Platz", "Bytes"};
    }
    void aFullDiskIsNamedInGermanOnEveryRoad() {
        QFETCH(Step, step);
        QFETCH(bool, ignoreAll);
        QFETCH(QStringList, named);
        Road road;
        road.ignoreAll = ignoreAll;
        if (!step(road))
            QSKIP("no right to mount a small disk here");
        const auto& last = road.t.env.prompts.calls().back();
        const QString text = QString::fromStdString(last.text);
        QCOMPARE(QString::fromStdString(last.caption), QString("Fotrenza"));
        for (const QString& part : named)
            QVERIFY2(text.contains(part), qPrintable(text));
        QVERIFY2(!text.contains("Templates/fz-simple"),
                 qPrintable(text)); // never the template's own
    }
};

QTEST_MAIN(DiskFullRoadsTest)
#include "tst_DiskFullRoads.moc"
