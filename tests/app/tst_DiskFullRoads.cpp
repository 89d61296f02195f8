// A full disk on every road that writes, met in German: the last box names the full disk and
// the file that could not be written (never a template's own file), in German, whatever was
// answered in the archive engine's boxes before it. The boxes run an event loop and change
// errno, as real ones do.

#include "tests/app/commands/CommandsTestSupport.h"
#include "tests/app/frames/FramesTestSupport.h"

#include "app/commands/CommandGuard.h"
#include "app/commands/FileCommands.h"
#include "app/commands/PhotoCommands.h"
#include "app/commands/TreeCommands.h"
#include "app/frames/TfrmMusicField.h"

#include <QActionGroup>
#include <QEventLoop>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStorageInfo>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <fcntl.h>
#include <sys/mount.h>

using platform::PromptButton;
using platform::PromptKind;

namespace {

// A tmpfs of its own over folder (what the folder held is hidden while it stands); fill() leaves
// `room` bytes free on it.
struct SmallDisk {
    explicit SmallDisk(const QString& where) : folder(where) {
        QDir().mkpath(folder);
        real = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=4m") == 0;
    }
    ~SmallDisk() {
        if (real)
            ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    }
    void fill(qint64 room) {
        QFile filler(folder + ".filler");
        if (filler.open(QIODevice::WriteOnly))
            ::posix_fallocate(filler.handle(), 0, QStorageInfo(folder).bytesAvailable() - room);
    }
    QString folder;
    bool real = false;
};

// One road: an editor with the sample album, in German, whose boxes pump events and spoil
// errno; `ignoreAll` answers Ignore wherever a box offers it.
struct Road {
    frametest::Window t;
    QString out = t.env.dir.path() + "/out/";
    std::unique_ptr<SmallDisk> disk;
    bool ignoreAll = false;

    Road() {
        QAction* german = nullptr;
        for (QAction* item : t.w->languageGroup()->actions())
            if (item->data().toString() == "de")
                german = item;
        german->trigger();
        t.env.prompts.whileShown = [this] {
            QEventLoop loop;
            QTimer::singleShot(1, &loop, &QEventLoop::quit);
            loop.exec();
            errno = EINTR;
            const auto& buttons = t.env.prompts.calls().back().buttons;
            if (ignoreAll &&
                std::find(buttons.begin(), buttons.end(), PromptButton::Ignore) != buttons.end())
                t.env.prompts.answerButton(PromptButton::Ignore);
        };
    }
    // The album file's disk (out) or the data folder's, full but for `room` bytes.
    bool fullDisk(const QString& folder, qint64 room = 4096) {
        disk = std::make_unique<SmallDisk>(folder);
        QDir().mkpath(model::Folders().PreviewFolder);
        QDir().mkpath(model::Folders().ThumbsFolder);
        disk->fill(room);
        return disk->real;
    }
    // The disk of the data folder, mounted on the folder above it, since closing an album
    // empties the data folder and would remove what fills the disk.
    bool fullDataDisk(qint64 room = 4096, bool withAlbum = true) {
        fullDisk(QDir::cleanPath(model::Folders().DataFolder + "/..") + u'/', 1 << 20);
        if (withAlbum)
            t.load("");
        disk->fill(room);
        return disk->real;
    }
    app::CommandSet& commands() { return t.env.commands->real; }
    void trigger(const char* name) { apptest::action(*t.w, name)->trigger(); }
    // A picture larger than the room left, made beside the disk.
    QString picture() {
        QImage noise(400, 300, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb((x * 7 + y * 13) % 251, (x * y) % 253, (x ^ y) % 255));
        const QString path = t.env.dir.path() + "/src/noise.jpg";
        QDir().mkpath(t.env.dir.path() + "/src");
        noise.save(path, "JPEG", 100);
        return path;
    }
};

// A road: sets the disk up, runs the command, and gives what the last box must name.
using Step = std::function<QString(Road&)>;

} // namespace

Q_DECLARE_METATYPE(Step)

class DiskFullRoadsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void aFullDiskIsNamedInGermanOnEveryRoad_data() {
        QTest::addColumn<Step>("step");
        QTest::addColumn<bool>("ignoreAll");
        QTest::addColumn<QString>("also"); // a German text the box holds besides
        const auto save = [](Road& r) {
            r.t.load("");
            r.fullDisk(r.out, 1 << 20);
            r.t.env.prompts.answerText((r.out + "A.zip").toStdString());
            r.trigger("acFileSaveAs");
            r.disk->fill(4096);
            r.t.w->album().SetModified(true);
            r.trigger("acFileSave");
            return QStringLiteral("A.zip");
        };
        QTest::newRow("save, the engine's boxes answered with their default")
            << Step(save) << false << "behält ihren bisherigen Inhalt";
        QTest::newRow("save, Ignore on every member") << Step(save) << true << "";
        QTest::newRow("Save As onto a new file") << Step([](Road& r) {
            r.t.load("");
            r.fullDisk(r.out);
            r.t.env.prompts.answerText((r.out + "B.zip").toStdString());
            r.trigger("acFileSaveAs");
            return QStringLiteral("B.zip");
        }) << false << "nicht unter";
        QTest::newRow("publish") << Step([](Road& r) {
            r.t.load("");
            r.fullDisk(r.out);
            r.t.env.prompts.answerText(r.out.toStdString());
            r.trigger("acFilePublish");
            return QStringLiteral("pictavo");
        }) << false << "nicht vollständig";
        QTest::newRow("import") << Step([](Road& r) {
            r.fullDataDisk();
            r.commands().tree().AddGallery(false);
            r.commands().photo().AddFiles({r.picture()}, "c", "l");
            return QStringLiteral("pictavo_images");
        }) << false << "";
        QTest::newRow("Change Image") << Step([](Road& r) {
            r.fullDataDisk(1 << 20);
            r.commands().tree().AddGallery(false);
            r.commands().photo().AddFiles({commandtest::picture(r.out + "a.jpg")}, "c", "l");
            r.disk->fill(4096);
            r.t.env.prompts.answerText(r.picture().toStdString());
            r.t.env.prompts.answerButton(PromptButton::Yes);
            r.commands().photo().ChangeImage();
            return QStringLiteral("pictavo_images");
        }) << false << "";
        QTest::newRow("music") << Step([](Road& r) {
            r.fullDataDisk();
            r.t.select(r.t.root());
            apptest::writeText(r.out + "song.mp3", QByteArray(64 * 1024, 'm'));
            r.t.env.prompts.answerText((r.out + "song.mp3").toStdString());
            frametest::part<QPushButton>(
                r.t.frame<app::TfrmMusicField>("sbAlbumSettings_MusicFieldFrame"), "btBrowse")
                ->click();
            return QStringLiteral("pictavo_music");
        }) << false << "";
        QTest::newRow("new album from a template") << Step([](Road& r) {
            r.fullDataDisk(8192, false);
            app::guarded([&r] {
                r.commands().file().NewAlbum(app::TemplateEntry{
                    "fz-simple", model::Folders().TemplatesFolder + "fz-simple/"});
            });
            return QStringLiteral("Preview");
        }) << false << "";
        QTest::newRow("Update Project File") << Step([](Road& r) {
            r.fullDataDisk(0);
            QFile::remove(model::Folders().PreviewFolder + "player.js");
            r.t.env.prompts.answerButton(PromptButton::Ok);
            r.trigger("acFileUpdateProjectFile");
            return QStringLiteral("Preview");
        }) << false << "";
    }
    void aFullDiskIsNamedInGermanOnEveryRoad() {
        QFETCH(Step, step);
        QFETCH(bool, ignoreAll);
        QFETCH(QString, also);
        Road road;
        road.ignoreAll = ignoreAll;
        const QString file = step(road);
        if (!road.disk->real)
            QSKIP("no right to mount a small disk here");
        const auto& calls = road.t.env.prompts.calls();
        QVERIFY(!calls.empty());
        const QString last = QString::fromStdString(calls.back().text);
        QCOMPARE(QString::fromStdString(calls.back().caption), QString("Fotrenza"));
        QVERIFY2(last.contains("Der Datenträger ist voll") && last.contains(file) &&
                     !last.contains("Templates") && last.contains(also),
                 qPrintable(last));
    }

    // Opening an album larger than the room the data folder has says so, and how much it needs.
    void anAlbumLargerThanTheRoomIsRefusedForWantOfRoom() {
        Road road;
        road.t.load("");
        QByteArray noise(3 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
        apptest::writeText(model::Folders().PreviewFolder + "big.bin", noise);
        road.t.env.prompts.answerText((road.out + "big.zip").toStdString());
        QDir().mkpath(road.out);
        road.trigger("acFileSaveAs");
        QVERIFY2(QFileInfo(road.out + "big.zip").size() > (3 << 20),
                 road.t.env.prompts.calls().empty()
                     ? "no box"
                     : road.t.env.prompts.calls().back().text.c_str());
        road.t.w->album().SetModified(false);
        QVERIFY(road.commands().file().CloseAlbum());
        if (!road.fullDataDisk(1 << 20, false))
            QSKIP("no right to mount a small disk here");
        QVERIFY(!road.commands().file().OpenAlbum(road.out + "big.zip"));
        const QString last = QString::fromStdString(road.t.env.prompts.calls().back().text);
        QVERIFY2(last.contains("nicht genug Platz") && last.contains("Bytes") &&
                     !last.contains("mehr, als es darf"),
                 qPrintable(last));
    }
};

QTEST_MAIN(DiskFullRoadsTest)
#include "tst_DiskFullRoads.moc"
