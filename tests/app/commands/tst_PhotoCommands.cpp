#include "tests/app/commands/CommandsTestSupport.h"

#include "app/commands/PhotoCommands.h"
#include "app/commands/TreeCommands.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/PictureFileDialog.h"
#include "app/dialogs/frmProgress.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

#include <sys/stat.h>

using namespace app;
using model::TpaTreeNode;
using platform::PromptButton;

namespace {

struct Editor {
    apptest::TestEnvironment env;
    std::unique_ptr<TfrmMain> w;
    TpaTreeNode* gallery = nullptr;
    explicit Editor(int maxPhotos) {
        w = env.makeMainWindow();
        env.commands->showStartupWizard = [] {};
        w->show();
        QCoreApplication::processEvents();
        commandtest::loadAlbum(*w, 50, maxPhotos);
        env.commands->real.tree().AddGallery(false);
        gallery = w->selectedNode();
    }
    PhotoCommands& photos() { return env.commands->real.photo(); }
    QString src(const QString& name) const { return env.dir.path() + "/src/" + name; }
    QStringList messages() const {
        QStringList texts;
        for (const auto& call : env.prompts.calls())
            texts << QString::fromStdString(call.text);
        return texts;
    }
};

// Runs `step` on the picture dialog once it is open.
void whenDialogOpens(std::function<void(PictureFileDialog&)> step) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* d = qobject_cast<PictureFileDialog*>(top);
            if (d && d->isVisible()) {
                timer->stop();
                timer->deleteLater();
                step(*d);
                if (d->isVisible())
                    d->reject(); // never leave a test waiting on it
                return;
            }
        }
    });
    timer->start();
}

void typeFiles(PictureFileDialog& d, const QStringList& names) {
    QStringList quoted;
    for (const QString& n : names)
        quoted << '"' + n + '"';
    // Typing selects the names in the file list too; a new entry starts from none.
    for (auto* view : d.findChildren<QAbstractItemView*>())
        view->clearSelection();
    d.findChild<QLineEdit*>("fileNameEdit")->setText(quoted.join(' '));
}

QStringList stray(const QStringList& before) {
    QStringList now;
    for (const QString& f : {model::Folders().PreviewImagesFolder,
                             model::Folders().PreviewThumbsFolder, model::Folders().ThumbsFolder})
        now += commandtest::filesIn(f);
    for (const QString& f : before)
        now.removeOne(f);
    return now;
}

// Every file the album's photos have, with its bytes, by folder; and "data.xml" as saved.
struct Outcome {
    QStringList texts;
    QMap<QString, QByteArray> files;
    QByteArray dataXml;
    bool complete = false;
    QString lastMessage;
    bool operator==(const Outcome&) const = default;
};

// Pictures whose names collide in every way the naming knows: letter case, bitmaps
// becoming ".jpg", a sub-folder, a name already numbered, a file already in the album.
QStringList collidingPictures(const QString& folder) {
    QStringList files;
    const QStringList names = {"p.jpg",     "P.bmp",     "p001.jpg", "q.bmp",  "Q.JPG",
                               "sub/p.jpg", "sub/q.jpg", "tn_p.jpg", "p.jpeg", "sub/P.JPG"};
    for (int i = 0; i < names.size(); ++i) {
        const QString path = folder + names[i];
        QDir().mkpath(QFileInfo(path).absolutePath());
        QImage image(40 + 8 * i, 30 + 2 * i, QImage::Format_RGB32);
        image.fill(QColor(20 * i, 100, 200 - 10 * i));
        const QByteArray format = QFileInfo(path).suffix().toUpper().toLatin1();
        image.save(path, format == "JPG" || format == "JPEG" ? "JPEG" : format.constData());
        files << path;
    }
    return files;
}

using Sources = QStringList (*)(const QString& folder);

Outcome addInto(bool oneByOne, Sources sources, int maxPhotos) {
    Editor e(maxPhotos);
    const QStringList files = sources(e.env.dir.path() + "/in/");
    // A file of that name in the album already.
    commandtest::picture(model::Folders().PreviewImagesFolder + "p.jpg");
    Outcome out;
    if (oneByOne) {
        // One after another, stopping at the first file that is not added.
        out.complete = true;
        for (int i = 0; i < files.size() && out.complete; ++i)
            out.complete = e.photos().AddFiles({files[i]}, "Adding", "Adding");
    } else {
        out.complete = e.photos().AddFiles(files, "Adding", "Adding");
    }
    out.texts = commandtest::childTexts(e.gallery);
    const model::FolderLayout& f = model::Folders();
    for (const QString& folder : {f.PreviewImagesFolder, f.PreviewThumbsFolder, f.ThumbsFolder})
        for (const QString& name : commandtest::filesIn(folder)) {
            QFile file(folder + name);
            file.open(QIODevice::ReadOnly);
            out.files[QDir(e.env.dir.path()).relativeFilePath(folder + name)] = file.readAll();
        }
    e.w->album().SaveToXml(f.PreviewFolder + "data.xml");
    QFile xml(f.PreviewFolder + "data.xml");
    xml.open(QIODevice::ReadOnly);
    out.dataXml = xml.readAll();
    if (!e.env.prompts.calls().empty())
        out.lastMessage = QString::fromStdString(e.env.prompts.calls().back().text)
                              .replace(e.env.dir.path(), "<dir>");
    return out;
}

// Twelve pictures with a broken one in the middle.
QStringList brokenInTheMiddle(const QString& folder) {
    QStringList files;
    for (int i = 0; i < 12; ++i)
        files << commandtest::picture(folder + QString("m%1.jpg").arg(i, 2, 10, QChar('0')));
    QFile::remove(files[5]);
    QFile::copy(QStringLiteral(FZ_SOURCE_DIR "/tests/data/images/garbage.jpg"), files[5]);
    return files;
}

} // namespace

class PhotoCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void addPhotoRefusesMoreThanTheRoomAndKeepsTheDialogOpen() {
        Editor e(10);
        QStringList files;
        for (int i = 0; i < 8; ++i)
            files << commandtest::picture(e.src(QString("old%1.jpg").arg(i)));
        QVERIFY(e.photos().AddFiles(files, "c", "l"));
        for (const char* name : {"x1.jpg", "x2.JPG", "x3.jpg"})
            commandtest::picture(e.src(name));
        e.w->actions().OpenPictureDialog1->InitialDir = e.src("");
        bool stayedOpen = false;
        int room = -1;
        whenDialogOpens([&](PictureFileDialog& d) {
            room = d.room();
            typeFiles(d, {"x1.jpg", "x2.JPG", "x3.jpg"});
            d.accept();
            stayedOpen = d.isVisible();
            typeFiles(d, {"x1.jpg", "x2.JPG"});
            d.accept();
        });
        e.w->selectNode(e.gallery->Child(3)); // a photo: its gallery takes them
        apptest::action(*e.w, "acEditAddPhoto")->trigger();
        QCOMPARE(room, 2);
        QVERIFY(stayedOpen);
        QCOMPARE(e.messages().last(),
                 QString("Sorry, but you may add only 2 photo(s) to this level"));
        QCOMPARE(e.env.prompts.calls().back().kind, platform::PromptKind::Error);
        QCOMPARE(e.gallery->ChildCount(), 10);
        QCOMPARE(e.gallery->Child(9)->Text(), QString("x2.JPG"));
        QCOMPARE(e.w->selectedNode(), e.gallery->Child(9));
        QVERIFY(!e.w->busyState().busy());
    }

    void gifBecomesJpegWithUniqueNames() {
        Editor e(10);
        const QString gif = e.src("beach.gif");
        QDir().mkpath(e.src(""));
        QVERIFY(QFile::copy(QStringLiteral(FZ_SOURCE_DIR "/tests/data/images/interlaced_64x48.gif"),
                            gif));
        QVERIFY(e.photos().AddFiles({gif, gif}, "c", "l"));
        QCOMPARE(commandtest::childTexts(e.gallery), QStringList({"beach.jpg", "beach001.jpg"}));
        const model::FolderLayout& f = model::Folders();
        QCOMPARE(commandtest::filesIn(f.PreviewImagesFolder),
                 QStringList({"beach.jpg", "beach001.jpg"}));
        QCOMPARE(commandtest::filesIn(f.PreviewThumbsFolder),
                 QStringList({"tn_beach.jpg", "tn_beach001.jpg"}));
        QCOMPARE(commandtest::filesIn(f.ThumbsFolder), QStringList({"beach.jpg", "beach001.jpg"}));
        QImage copy(f.PreviewImagesFolder + "beach001.jpg", "JPEG");
        QCOMPARE(copy.size(), QSize(64, 48));
        QVERIFY(e.w->album().Modified());
    }

    // 30 pictures (upper-case extensions and a sub-folder among them) into room for 25: the
    // first 25 in name order, files of a folder before its sub-folders.
    void importTakesTheFirstPicturesInNameOrderWithinTheRoom() {
        Editor e(25);
        const QString folder = e.env.dir.path() + "/import/";
        QStringList expected;
        for (int i = 0; i < 30; ++i) {
            const QString name =
                QString("img%1.%2").arg(i, 2, 10, QChar('0')).arg(i % 3 ? "jpg" : "JPG");
            commandtest::picture(folder + (i >= 27 ? "sub/" : "") + name);
            if (i < 25)
                expected << name;
        }
        apptest::writeText(folder + "notes.txt", "x");
        e.env.prompts.answerText(folder.toStdString());
        e.env.prompts.answerButton(PromptButton::Yes); // import them all
        e.env.prompts.answerButton(PromptButton::Yes); // only the first 25
        apptest::action(*e.w, "acEditImport")->trigger();
        QCOMPARE(e.env.prompts.calls().front().caption,
                 std::string("Please, choose a directory for importing photos:"));
        QCOMPARE(e.messages().mid(1),
                 QStringList({"30 images found. Are you sure to import them all?",
                              "Sorry, but you may add only 25 photo(s) to this level. Add first "
                              "25 photo(s) from list?",
                              "25 photos are added to gallery \"Event 1\""}));
        QCOMPARE(commandtest::childTexts(e.gallery), expected);
        QCOMPARE(model::Folders().LastImportFolder, folder);
        QVERIFY(commandtest::everyPhotoHasItsFile(e.gallery));
        QVERIFY(!e.w->busyState().busy());
    }

    void noToImportingAllOpensThePictureDialogInTheFolder() {
        Editor e(10);
        const QString folder = e.env.dir.path() + "/pick/";
        commandtest::picture(folder + "a.jpg");
        QString shown;
        whenDialogOpens([&](PictureFileDialog& d) {
            shown = d.directory().absolutePath() + '/';
            d.reject();
        });
        e.env.prompts.answerButton(PromptButton::No);
        e.photos().ImportFolder(folder);
        QCOMPARE(shown, folder);
        QCOMPARE(e.gallery->ChildCount(), 0);
        // Nothing found, and a missing folder, which says nothing.
        QDir().mkpath(e.env.dir.path() + "/empty");
        e.photos().ImportFolder(e.env.dir.path() + "/empty");
        QCOMPARE(e.messages().last(),
                 "No images found in folder \"" + e.env.dir.path() + "/empty/\"");
        const auto asked = e.env.prompts.calls().size();
        e.photos().ImportFolder(e.env.dir.path() + "/missing");
        QCOMPARE(e.env.prompts.calls().size(), asked);
    }

    // Names that are not UTF-8 cannot be opened by name: the pictures and folders among them
    // are counted and named, their bytes escaped, in one message before the import goes on.
    void importNamesWhatItCannotRead() {
        Editor e(10);
        const QString folder = e.env.dir.path() + "/odd/";
        QFile good(commandtest::picture(folder + "a.jpg"));
        QVERIFY(good.open(QIODevice::ReadOnly));
        const QByteArray native = QFile::encodeName(folder), jpeg = good.readAll();
        QVERIFY(::mkdir(native + "sub\xfe", 0700) == 0);
        for (const char* name : {"bad\xff.jpg", "sub\xfe/in.jpg", "note\xff.txt"}) {
            const std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(native + name, "wb"),
                                                             &std::fclose);
            QVERIFY(file && std::fwrite(jpeg.constData(), 1, jpeg.size(), file.get()) > 0);
        }
        e.env.prompts.answerButton(PromptButton::Ok);
        e.env.prompts.answerButton(PromptButton::Yes);
        e.photos().ImportFolder(folder);
        QCOMPARE(e.messages(),
                 QStringList({"2 files or folders are skipped: their names cannot be read.\n\n" +
                                  folder + "bad\\xFF.jpg\n" + folder + "sub\\xFE/",
                              "1 image found. Are you sure to import it?",
                              "1 photo is added to gallery \"Event 1\""}));
        QCOMPARE(e.env.prompts.calls().front().kind, platform::PromptKind::Warning);
        QCOMPARE(commandtest::childTexts(e.gallery), QStringList({"a.jpg"}));
    }

    // A broken picture is reported with its name; it leaves no node and no file, the photos
    // before it stay and the report of a complete import is not given.
    void aBrokenPictureStopsTheImportAndLeavesNothingOfItself() {
        Editor e(10);
        const QString folder = e.env.dir.path() + "/broken/";
        commandtest::picture(folder + "a.jpg");
        commandtest::picture(folder + "c.jpg");
        QFile::copy(QStringLiteral(FZ_SOURCE_DIR "/tests/data/images/garbage.jpg"),
                    folder + "bad.jpg");
        e.env.prompts.answerButton(PromptButton::Yes);
        e.photos().ImportFolder(folder);
        QCOMPARE(commandtest::childTexts(e.gallery), QStringList({"a.jpg"}));
        const auto& last = e.env.prompts.calls().back();
        QCOMPARE(last.kind, platform::PromptKind::Error);
        QVERIFY(QString::fromStdString(last.text).startsWith(folder + "bad.jpg"));
        QCOMPARE(stray({"a.jpg", "tn_a.jpg", "a.jpg"}), QStringList());
        QVERIFY(commandtest::everyPhotoHasItsFile(e.w->album().Tree().Root()));
        QVERIFY(!e.w->busyState().busy());
        QVERIFY(e.w->isEnabled());
    }

    // The photos of a batch are made on every core, yet the tree, the files and "data.xml"
    // are those of adding the files one after another; a broken file in the middle is named,
    // and the photos after it, made meanwhile, leave no file.
    void aBatchGivesWhatAddingOneByOneGives_data() {
        QTest::addColumn<int>("sources");
        QTest::addColumn<int>("maxPhotos");
        QTest::addColumn<int>("photos");
        QTest::newRow("colliding names") << 0 << 60 << 10;
        QTest::newRow("broken fifth of twelve") << 1 << 60 << 5;
        QTest::newRow("room for seven of ten") << 0 << 7 << 7;
    }
    void aBatchGivesWhatAddingOneByOneGives() {
        QFETCH(int, sources);
        QFETCH(int, maxPhotos);
        QFETCH(int, photos);
        const Sources make = sources == 0 ? &collidingPictures : &brokenInTheMiddle;
        const Outcome batch = addInto(false, make, maxPhotos);
        const Outcome single = addInto(true, make, maxPhotos);
        QVERIFY2(batch.texts.size() == photos, qPrintable(batch.lastMessage));
        QCOMPARE(batch.texts, single.texts);
        QCOMPARE(batch.files.keys(), single.files.keys());
        QVERIFY(batch.files == single.files);
        QCOMPARE(batch.dataXml, single.dataXml);
        QCOMPARE(batch.complete, photos == 10);
        if (sources == 1)
            QVERIFY2(batch.lastMessage.startsWith("<dir>/in/m05.jpg\n"),
                     qPrintable(batch.lastMessage));
        if (photos == 7)
            QCOMPARE(batch.lastMessage,
                     QString("Sorry, but you may add only 7 photo(s) to this level"));
    }

    void cancelKeepsThePhotosAddedSoFarWithoutAReport() {
        Editor e(60);
        const QString folder = e.env.dir.path() + "/many/";
        for (int i = 0; i < 50; ++i)
            commandtest::picture(folder + QString("m%1.jpg").arg(i, 2, 10, QChar('0')), 16, 16);
        QObject::connect(&e.w->treeModel(), &QAbstractItemModel::rowsInserted, e.w.get(),
                         [&] { e.w->progressWindow().Cancelled = e.gallery->ChildCount() >= 3; });
        e.env.prompts.answerButton(PromptButton::Yes);
        e.photos().ImportFolder(folder);
        QCOMPARE(e.gallery->ChildCount(), 3);
        QCOMPARE(e.messages().last(), QString("50 images found. Are you sure to import them all?"));
        QVERIFY(!e.w->busyState().busy());
        QVERIFY(!e.w->progressWindow().isVisible());
    }

    void changeImageKeepsEveryNameAndTheCaption() {
        Editor e(10);
        QVERIFY(e.photos().AddFiles({commandtest::picture(e.src("old.jpg"), 800, 600)}, "c", "l"));
        TpaTreeNode* photo = e.gallery->Child(0);
        e.w->selectNode(photo);
        const QStringList files = stray({});
        e.env.prompts.answerText(commandtest::picture(e.src("new.jpg"), 300, 600).toStdString());
        e.env.prompts.answerButton(PromptButton::No);
        e.photos().ChangeImage();
        QCOMPARE(e.messages().last(), QString("This will overwrite \"old.jpg\". Continue?"));
        QCOMPARE(photo->Item()->Level.Photo.ImageFields.FindById(1)->Image.Width, 640);

        e.env.prompts.answerText(e.src("new.jpg").toStdString());
        e.env.prompts.answerButton(PromptButton::Yes);
        apptest::child<QPushButton>(*e.w, "bbChangeImage")->click();
        const auto& main = photo->Item()->Level.Photo.ImageFields.FindById(1)->Image;
        QCOMPARE(QSize(main.Width, main.Height), QSize(240, 480));
        QCOMPARE(main.FileName, QString("pictavo_images/old.jpg"));
        QCOMPARE(stray({}), files);
        QCOMPARE(photo->Text(), QString("old.jpg"));

        // A file that cannot serve is named in the error before any question to overwrite,
        // and changes nothing.
        for (const QString& bad : {QString("garbage.jpg"), QString("x.png"),
                                   QString("truncated.jpg"), QString("missing.jpg")}) {
            const QString file = QStringLiteral(FZ_SOURCE_DIR "/tests/data/images/") + bad;
            const auto before = e.env.prompts.calls().size();
            e.env.prompts.answerText(file.toStdString());
            e.env.prompts.answerButton(PromptButton::Ok);
            e.photos().ChangeImage();
            QCOMPARE(e.env.prompts.calls().size(), before + 2);
            QVERIFY2(e.messages().last().startsWith(file + "\n\n"), qPrintable(bad));
            QCOMPARE(e.env.prompts.calls().back().kind, platform::PromptKind::Error);
            QCOMPARE(QSize(main.Width, main.Height), QSize(240, 480));
        }
    }

    void scanMyPicturesWithoutAPicturesFolderSaysSo() {
        Editor e(10);
        QVERIFY(!QFileInfo::exists(QDir::homePath() + "/Pictures"));
        const auto before = e.messages().size();
        apptest::action(*e.w, "acEditScanMyPictures")->trigger();
        QCOMPARE(e.messages().size(), before + 1);
        QVERIFY2(e.messages().last().startsWith("No Pictures folder was found"),
                 qPrintable(e.messages().last()));
        QCOMPARE(e.gallery->ChildCount(), 0);
    }
};

QTEST_MAIN(PhotoCommandsTest)
#include "tst_PhotoCommands.moc"
