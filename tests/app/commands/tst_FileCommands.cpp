#include "tests/app/commands/CommandsTestSupport.h"

#include "app/commands/CommandGuard.h"
#include "app/commands/FileCommands.h"
#include "app/commands/PhotoCommands.h"
#include "app/commands/TreeCommands.h"
#include "app/dialogs/frmProgress.h"

#include "model/AlbumLimits.h"
#include "model/FileRoutines.h"
#include "model/items/Item.h"
#include "model/settings/AlbumSettingsTextField.h"
#include "model/tree/TreeNode.h"

#include <QCryptographicHash>
#include <QDomDocument>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <algorithm>

#include <sys/mount.h>

using platform::PromptButton;
using platform::PromptKind;
using Call = platform::ScriptedPrompts::CallType;

namespace {

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList treeTexts(model::TpaAlbum& album) {
    QStringList texts;
    for (model::TpaTreeNode* n = album.Tree().Root(); n; n = n->NextInPreOrder())
        texts << QString::number(n->Depth()) + u':' + n->Text();
    return texts;
}

void rename(model::TpaAlbum& album, const QString& caption) {
    album.Tree().Root()->Item()->CaptionField()->Value = caption;
}

QStringList entries(const QString& folder) {
    QStringList list;
    model::ListFolderEntries(folder, list, true);
    for (QString& e : list)
        e = e.mid(folder.size());
    return list;
}

QStringList zipMembers(const QString& zipFile) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zipFile});
    unzip.waitForFinished();
    return QString::fromUtf8(unzip.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The compression method of a member, as Python's zipfile reads it (0 stored, 8 deflated).
int memberMethod(const QString& zipFile, const QString& member) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {"-c",
                  "import sys,zipfile; print(zipfile.ZipFile(sys.argv[1]).getinfo(sys.argv[2])"
                  ".compress_type)",
                  zipFile, member});
    python.waitForFinished();
    bool ok = false;
    const int method = python.readAllStandardOutput().trimmed().toInt(&ok);
    return ok ? method : -1;
}

// Turns one byte in the middle of a member's stored data, as a bad disk would.
bool damageMember(const QString& zipFile, const QString& member) {
    const char* script = "import sys,zipfile\n"
                         "i=zipfile.ZipFile(sys.argv[1]).getinfo(sys.argv[2])\n"
                         "d=bytearray(open(sys.argv[1],'rb').read())\n"
                         "o=i.header_offset\n"
                         "p=o+30+int.from_bytes(d[o+26:o+28],'little')+"
                         "int.from_bytes(d[o+28:o+30],'little')+i.compress_size//2\n"
                         "d[p]^=0xFF\n"
                         "open(sys.argv[1],'wb').write(d)\n";
    return QProcess::execute("/usr/bin/python3", {"-c", script, zipFile, member}) == 0;
}

// How many scripted questions of a kind were asked.
int asked(const platform::ScriptedPrompts& prompts, Call type,
          PromptKind kind = PromptKind::Error) {
    int n = 0;
    for (const auto& c : prompts.calls())
        n += c.type == type && (type != Call::Message || c.kind == kind);
    return n;
}

struct Fixture {
    apptest::TestEnvironment env;
    std::unique_ptr<app::TfrmMain> w = env.makeMainWindow();
    app::FileCommands& file = env.commands->real.file();
    QString out = env.dir.path() + QStringLiteral("/albums/");

    Fixture() {
        QDir().mkpath(out);
        w->show();
    }
    bool newSample() {
        return file.NewAlbum(app::TemplateEntry{QStringLiteral("fz-simple"),
                                                model::Folders().TemplatesFolder + "fz-simple/"});
    }
    // A saved album at out + name.
    QString savedAlbum(const QString& name) {
        newSample();
        env.prompts.answerText((out + name).toStdString());
        file.SaveAlbumAs();
        return out + name;
    }
    // Clicks Cancel of the progress window as soon as the next one shows.
    void cancelAtFirstStep() {
        auto* timer = new QTimer(w.get());
        QObject::connect(timer, &QTimer::timeout, w.get(), [this, timer] {
            if (!w->progressWindow().isVisible())
                return;
            timer->deleteLater();
            timer->stop();
            w->progressWindow().btCancelClick();
        });
        timer->start(0);
    }
};

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void newSaveCloseReopenRoundTrip() {
        Fixture f;
        QVERIFY(f.newSample());
        model::TpaAlbum& album = f.w->album();
        QVERIFY(album.Modified());
        QVERIFY(album.FileName.isEmpty());
        QCOMPARE(f.w->windowTitle(), QString("Fotrenza  [My Album]"));
        rename(album, "a/b:c");
        const QStringList before = treeTexts(album);
        // Music and the player are stored by their names, even where deflate would shrink them.
        for (const QString& name : {QStringLiteral("index.swf"), QStringLiteral("song.mp3")}) {
            QFile music(model::Folders().PreviewFolder + name);
            QVERIFY(music.open(QIODevice::WriteOnly));
            music.write(QByteArray("la la la ").repeated(1000));
        }

        f.env.prompts.answerText((f.out + "out.zip").toStdString());
        apptest::action(*f.w, "acFileSave")->trigger();
        const auto& save = f.env.prompts.calls().back();
        QCOMPARE(save.type, Call::SaveFile);
        QCOMPARE(QString::fromStdString(save.initial), QString("abc"));
        QCOMPARE(zipMembers(f.out + "out.zip")
                     .filter(QRegularExpression("^(data|album)\\.xml$|"
                                                "^index\\.html$"))
                     .size(),
                 3);
        QCOMPARE(f.w->windowTitle(), QString("Fotrenza  [out.zip]"));
        // Pictures are compressed already: stored as they are; the texts are deflated.
        QCOMPARE(memberMethod(f.out + "out.zip", "thumb.jpg"), 0);
        QCOMPARE(memberMethod(f.out + "out.zip", "data.xml"), 8);
        QCOMPARE(memberMethod(f.out + "out.zip", "album.xml"), 8);
        QCOMPARE(memberMethod(f.out + "out.zip", "index.swf"), 0);
        QCOMPARE(memberMethod(f.out + "out.zip", "song.mp3"), 0);
        QVERIFY(!apptest::action(*f.w, "acFileSave")->isEnabled());
        QCOMPARE(f.w->recent().GetItem(0), f.out + "out.zip");
        // In the store at once, not only at exit: a crash must not lose it.
        QCOMPARE(f.env.store->readString("\\Software\\Brimlo Lumivex\\Recent", "Item0"),
                 std::optional<QString>(f.out + "out.zip"));
        const QByteArray savedXml = fileHash(model::Folders().PreviewFolder + "data.xml");

        QVERIFY(f.file.CloseAlbum());
        QVERIFY(!album.Tree().Root());
        QVERIFY(entries(model::Folders().DataFolder).isEmpty());
        QCOMPARE(f.w->windowTitle(), QString("Fotrenza"));

        QVERIFY(f.file.OpenRecentAlbum(f.w->recent().GetItem(0)));
        QCOMPARE(treeTexts(album), before);
        QCOMPARE(fileHash(model::Folders().PreviewFolder + "data.xml"), savedXml);
        QCOMPARE(f.w->recent().Items, QStringList{f.out + "out.zip"});
        QVERIFY(!album.Modified());
        QCOMPARE(f.w->selectedNode(), album.Tree().Root());
        QCOMPARE(asked(f.env.prompts, Call::Message), 0);
    }

    void picturesThatCannotBeReadOnOpenAreReported() {
        Fixture f;
        QVERIFY(f.newSample());
        apptest::writeText(model::Folders().PreviewImagesFolder + "bad.jpg", "not a picture");
        auto& fields = f.w->album().Tree().Root()->Item()->Level.ImageFields;
        fields.FindById(1)->Image.FileName = "pictavo_images/bad.jpg";
        f.env.prompts.answerText((f.out + "bad.zip").toStdString());
        QVERIFY(f.file.SaveAlbumAs());
        QVERIFY(f.file.CloseAlbum());
        QVERIFY(f.file.OpenAlbum(f.out + "bad.zip"));
        QCOMPARE(asked(f.env.prompts, Call::Message, PromptKind::Warning), 1);
        QVERIFY(QString::fromStdString(f.env.prompts.calls().back().text).startsWith("1 picture"));
    }

    // One damaged member must not lock the user out of the rest of the album, and nothing
    // saved or published after Ignore may refer to what was left out.
    void aDamagedPictureIsNamedAndLeftOutOnIgnore_data() {
        QTest::addColumn<int>("member"); // 1 a photo's picture, 2 its reduced copy, 0 data.xml
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<int>("photosLeft"); // -1: nothing opens
        QTest::newRow("picture, ignore") << 1 << PromptButton::Ignore << 2;
        QTest::newRow("picture, abort") << 1 << PromptButton::Abort << -1;
        QTest::newRow("reduced copy, ignore") << 2 << PromptButton::Ignore << 3;
        QTest::newRow("data.xml, ignore") << 0 << PromptButton::Ignore << -1;
        QTest::newRow("data.xml, abort") << 0 << PromptButton::Abort << -1;
    }
    void aDamagedPictureIsNamedAndLeftOutOnIgnore() {
        QFETCH(int, member);
        QFETCH(PromptButton, answer);
        QFETCH(int, photosLeft);
        Fixture f;
        commandtest::loadAlbum(*f.w, 5, 5);
        rename(f.w->album(), "Holiday");
        f.env.commands->real.tree().AddGallery(false);
        QStringList pictures;
        for (int i = 0; i < 3; ++i)
            pictures << commandtest::picture(f.out + QString("src/p%1.jpg").arg(i), 300, 200);
        QVERIFY(f.env.commands->real.photo().AddFiles(pictures, "Adding", "Adding"));
        const auto mainFile = [&f](int i, int field = 1) {
            return f.w->album()
                .Tree()
                .Root()
                ->Child(0)
                ->Child(i)
                ->Item()
                ->Level.Photo.ImageFields.FindById(field)
                ->Image.FileName;
        };
        const QString damaged = member ? mainFile(1, member) : QString("data.xml");
        const QString reducedOfDamaged = mainFile(1, 2); // goes with its photo when that goes
        const QString album = f.out + "three.zip";
        f.env.prompts.answerText(album.toStdString());
        QVERIFY(f.file.SaveAlbumAs());
        QVERIFY(f.file.CloseAlbum());
        QVERIFY(damageMember(album, damaged));

        f.env.prompts.answerButton(answer);
        const bool opened = f.file.OpenAlbum(album);
        const auto box = std::find_if(
            f.env.prompts.calls().begin(), f.env.prompts.calls().end(),
            [](const auto& c) { return std::ranges::count(c.buttons, PromptButton::Ignore) > 0; });
        QVERIFY(box != f.env.prompts.calls().end());
        QVERIFY2(QString::fromStdString(box->text).contains(damaged), box->text.c_str());
        QCOMPARE(opened, photosLeft >= 0);
        if (!opened) { // nothing opens, and the closing error still names the member
            QVERIFY(!f.w->album().Tree().Root());
            QVERIFY(f.env.prompts.calls().back().kind == PromptKind::Error);
            QVERIFY(QString::fromStdString(f.env.prompts.calls().back().text).contains(damaged));
            return;
        }
        QCOMPARE(f.w->album().Tree().Root()->Item()->CaptionField()->Value, QString("Holiday"));
        QCOMPARE(f.w->album().Tree().Root()->Child(0)->ChildCount(), photosLeft);
        const QString images = model::Folders().PreviewFolder;
        QVERIFY(QFileInfo(images + mainFile(0)).isFile() &&
                QFileInfo(images + mainFile(photosLeft - 1)).isFile());
        QCOMPARE(QFileInfo::exists(images + damaged), member == 2); // a reduced copy is made again
        QCOMPARE(QFileInfo::exists(images + reducedOfDamaged), member == 2);
        QCOMPARE(asked(f.env.prompts, Call::Message, PromptKind::Warning), 1);
        const QString report = QString::fromStdString(f.env.prompts.calls().back().text);
        QVERIFY2(report.contains(damaged) && report.contains("left out"), qPrintable(report));
        // Saved again, the album holds no damaged data, and it opens without a question.
        QVERIFY(apptest::action(*f.w, "acFileSave")->isEnabled());
        QVERIFY(f.file.SaveAlbum());
        QCOMPARE(QProcess::execute("unzip", {"-tqq", album}), 0);
        const auto before = f.env.prompts.calls().size();
        QVERIFY(f.file.CloseAlbum());
        QVERIFY(f.file.OpenAlbum(album));
        QCOMPARE(f.env.prompts.calls().size(), before);
        QCOMPARE(f.w->album().Tree().Root()->Child(0)->ChildCount(), photosLeft);
        f.env.publishing = [](const publish::PublishingValues&, publish::PublishingHooks) {};
        f.env.prompts.answerText(f.out.toStdString()); // published, it holds only what it names
        apptest::action(*f.w, "acFilePublish")->trigger();
        QDomDocument data;
        QFile published(f.out + "pictavo/data.xml");
        QVERIFY(published.open(QIODevice::ReadOnly) && data.setContent(&published));
        const QDomNodeList sources = data.elementsByTagName("src");
        QCOMPARE(sources.size(), photosLeft * 2);
        for (int i = 0; i < sources.size(); ++i) {
            const QString path = f.out + "pictavo/" + sources.at(i).toElement().text();
            QVERIFY2(!QImage(path).isNull(), qPrintable(path));
        }
    }

    // Archivers that pad their output to whole blocks leave bytes after the end record; such an
    // album is whole and opens without a word.
    void anAlbumWithBytesAfterItsEndOpensAsSaved_data() {
        QTest::addColumn<QByteArray>("tail");
        QTest::newRow("1 KB of zeros") << QByteArray(1000, '\0');
        QTest::newRow("10 KB of junk") << QByteArray(10240, '\x5a');
    }
    void anAlbumWithBytesAfterItsEndOpensAsSaved() {
        QFETCH(QByteArray, tail);
        Fixture f;
        QVERIFY(f.newSample());
        rename(f.w->album(), "Padded");
        const QString album = f.out + "padded.zip";
        f.env.prompts.answerText(album.toStdString());
        QVERIFY(f.file.SaveAlbumAs());
        QVERIFY(f.file.CloseAlbum());
        QFile file(album);
        QVERIFY(file.open(QIODevice::Append) && file.write(tail) == tail.size());
        file.close();
        const auto before = f.env.prompts.calls().size();
        QVERIFY(f.file.OpenAlbum(album));
        QCOMPARE(f.env.prompts.calls().size(), before);
        QCOMPARE(f.w->album().Tree().Root()->Item()->CaptionField()->Value, QString("Padded"));
    }

    void saveAsOverAnExistingFileAsksOnce_data() {
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("yes") << PromptButton::Yes << true;
        QTest::newRow("no") << PromptButton::No << false;
    }
    void saveAsOverAnExistingFileAsksOnce() {
        QFETCH(PromptButton, answer);
        QFETCH(bool, replaced);
        Fixture f;
        apptest::writeText(f.out + "A.zip", "not an album");
        const QByteArray old = fileHash(f.out + "A.zip");
        QVERIFY(f.newSample());
        f.env.prompts.answerText((f.out + "A.zip").toStdString());
        f.env.prompts.answerButton(answer);
        QCOMPARE(f.file.SaveAlbumAs(), replaced);
        QCOMPARE(asked(f.env.prompts, Call::Message, PromptKind::Confirmation), 1);
        QVERIFY(
            QString::fromStdString(f.env.prompts.calls().back().text).contains(f.out + "A.zip"));
        QCOMPARE(fileHash(f.out + "A.zip") != old, replaced);
        QCOMPARE(f.w->album().Modified(), !replaced);
    }

    void cancelledSaveKeepsThePreviousFileByteForByte() {
        Fixture f;
        const QString a = f.savedAlbum("A.zip");
        const QByteArray old = fileHash(a);
        const QStringList folder = entries(f.out);
        rename(f.w->album(), "Renamed");
        f.w->album().SetModified(true);
        f.cancelAtFirstStep();
        apptest::action(*f.w, "acFileSave")->trigger();
        QCOMPARE(fileHash(a), old);
        QCOMPARE(entries(f.out), folder); // no temporary file left
        QVERIFY(f.w->album().Modified());
        QVERIFY(apptest::action(*f.w, "acFileSave")->isEnabled());
        QCOMPARE(f.w->windowTitle(), QString("Fotrenza  [A.zip]"));
        // The user's own Cancel is news, not a failure.
        QCOMPARE(asked(f.env.prompts, Call::Message), 0);
        QCOMPARE(asked(f.env.prompts, Call::Message, PromptKind::Information), 1);
        QCOMPARE(f.env.prompts.calls().back().text,
                 "Saving was cancelled: the album was not saved to \"" + a.toStdString() +
                     "\". The file keeps its previous contents.");
        QVERIFY(!f.w->progressWindow().isVisible());
        // Where there was no file, none is said to be kept.
        f.env.prompts.answerText((f.out + "none/B.zip").toStdString());
        QVERIFY(!f.file.SaveAlbumAs());
        const std::string failed = f.env.prompts.calls().back().text;
        QVERIFY2(failed.starts_with("The album could not be saved to \"" + f.out.toStdString() +
                                    "none/B.zip\". ") &&
                     failed.ends_with(".") && failed.find("keeps") == std::string::npos,
                 failed.c_str());
    }

    // The archive engine only says that a write failed; the message must still name the disk.
    void aSaveOntoAFullDiskKeepsTheFileAndNamesTheDisk() {
        Fixture f;
        const QString disk = f.out + "disk/";
        QDir().mkpath(disk);
        if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=96k") != 0)
            QSKIP("no right to mount a small disk here");
        const QString a = f.savedAlbum("disk/A.zip");
        const QByteArray old = fileHash(a);
        QVERIFY(QFileInfo(a).size() > 0);
        QFile filler(disk + "filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        while (filler.write(QByteArray(4096, 'f')) == 4096 && filler.flush()) {
        }
        filler.close();
        rename(f.w->album(), "Renamed");
        f.w->album().SetModified(true);
        apptest::action(*f.w, "acFileSave")->trigger();
        const std::string failed = f.env.prompts.calls().back().text;
        const QByteArray now = fileHash(a);
        ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
        QCOMPARE(now, old);
        QVERIFY2(failed.find("The disk is full") != std::string::npos &&
                     failed.find("keeps its previous contents") != std::string::npos,
                 failed.c_str());
        QVERIFY(f.w->album().Modified());
    }

    void cancelledOpenLeavesNoAlbumAndAnEmptyWorkingFolder() {
        Fixture f;
        const QString a = f.savedAlbum("A.zip");
        QVERIFY(f.file.CloseAlbum());
        f.cancelAtFirstStep();
        QVERIFY(!f.file.OpenAlbum(a));
        QVERIFY(!f.w->album().Tree().Root());
        QVERIFY(entries(model::Folders().PreviewFolder).isEmpty());
        QCOMPARE(f.w->windowTitle(), QString("Fotrenza"));
        QCOMPARE(asked(f.env.prompts, Call::Message), 0);
        QCOMPARE(asked(f.env.prompts, Call::Message, PromptKind::Information), 1);
        // Nothing of the cancelled open is merged into the next one.
        apptest::writeText(model::Folders().PreviewFolder + "stale.txt", "left over");
        QVERIFY(f.file.OpenAlbum(a));
        QStringList unpacked = entries(model::Folders().PreviewFolder);
        QStringList members = zipMembers(a);
        unpacked.sort();
        members.sort();
        QCOMPARE(unpacked, members);
    }

    // Empty members raise only their start and end events while they unpack, never the
    // overall one: the editor hears Cancel there too, and pumps its window meanwhile.
    void cancelIsHeardAmongManyEmptyMembers() {
        Fixture f;
        const QString a = f.out + "empty.zip";
        QCOMPARE(QProcess::execute("/usr/bin/python3",
                                   {"-c",
                                    "import sys,zipfile\nz=zipfile.ZipFile(sys.argv[1],'w')\n"
                                    "for i in range(10000): z.writestr('m%05d' % i, b'')",
                                    a}),
                 0);
        QTimer timer;
        qsizetype unpackedAtClick = -1;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const QString preview = model::Folders().PreviewFolder;
            if (f.w->progressWindow().isVisible() && QFileInfo::exists(preview + "m00010")) {
                timer.stop();
                unpackedAtClick = QDir(preview).entryList(QDir::Files).size();
                f.w->progressWindow().btCancelClick();
            }
        });
        timer.start(0);
        QVERIFY(!f.file.OpenAlbum(a));
        QVERIFY2(f.env.prompts.calls().back().text.find("was cancelled") != std::string::npos,
                 f.env.prompts.calls().back().text.c_str());
        QVERIFY2(unpackedAtClick > 0 && unpackedAtClick < 10000,
                 qPrintable(QString::number(unpackedAtClick)));
        QVERIFY(entries(model::Folders().PreviewFolder).isEmpty());
    }

    void badAlbumFilesOpenNothingAndSaySo_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("truncated") << QByteArray("cut") << "damaged";
        QTest::newRow("not a zip") << QByteArray("hello, world") << "could not be opened";
        QTest::newRow("no album") << QByteArray("other") << "holds no album";
        QTest::newRow("bad data.xml")
            << QByteArray("<photogallery><folder>") << "bad.zip\" could not be opened: data.xml: ";
        QTest::newRow("data.xml past any real album")
            << QByteArray("huge") << "\"data.xml\": it would take more than";
    }
    void badAlbumFilesOpenNothingAndSaySo() {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        Fixture f;
        const QString a = f.savedAlbum("A.zip");
        QVERIFY(f.file.CloseAlbum());
        const QString bad = f.out + "bad.zip";
        if (content == "cut") {
            QFile in(a);
            QVERIFY(in.open(QIODevice::ReadOnly));
            apptest::writeText(bad, in.readAll().left(in.size() * 2 / 3));
        } else if (content.startsWith("<")) {
            apptest::writeText(f.out + "x/data.xml", content);
            QFile::copy(model::Folders().TemplatesFolder + "fz-simple/album.xml",
                        f.out + "x/album.xml");
            QProcess::execute("sh", {"-c", "cd '" + f.out + "x' && zip -q ../bad.zip *.xml"});
        } else if (content == "huge") {
            // Zeros deflate to a small file; the claimed size alone is refused.
            const QString script =
                QStringLiteral("import sys,zipfile\n"
                               "with zipfile.ZipFile(sys.argv[1],'w',zipfile.ZIP_DEFLATED) as z:\n"
                               " with z.open('data.xml','w') as f:\n"
                               "  for i in range(%1): f.write(bytes(1<<20))\n"
                               "  f.write(b'x')\n")
                    .arg((model::kMaxDataXmlBytes >> 20) + 1);
            QCOMPARE(QProcess::execute("/usr/bin/python3", {"-c", script, bad}), 0);
        } else if (content == "other") {
            apptest::writeText(f.out + "x/readme.txt", "text");
            QProcess::execute("sh", {"-c", "cd '" + f.out + "x' && zip -q ../bad.zip readme.txt"});
        } else {
            apptest::writeText(bad, content);
        }
        // Engine errors go to the command guard, which shows them; the state is the same.
        bool opened = false;
        app::guarded([&] { opened = f.file.OpenAlbum(bad); });
        QVERIFY(!opened);
        QVERIFY(!f.w->album().Tree().Root());
        QVERIFY(entries(model::Folders().PreviewFolder).isEmpty());
        QCOMPARE(f.w->windowTitle(), QString("Fotrenza"));
        QCOMPARE(asked(f.env.prompts, Call::Message), 1);
        const QString text = QString::fromStdString(f.env.prompts.calls().back().text);
        QVERIFY2(text.contains(expected) && !text.contains(model::Folders().DataFolder),
                 qPrintable(text));
        QVERIFY(text.contains("bad.zip"));
    }

    void aTemplateWithABadDataFileIsNamed() {
        Fixture f;
        const QString broken = model::Folders().TemplatesFolder + "Broken/";
        apptest::writeText(broken + "data.xml", "<photogallery><folder>");
        QVERIFY(QFile::copy(model::Folders().TemplatesFolder + "fz-simple/album.xml",
                            broken + "album.xml"));
        app::guarded([&] { f.file.NewAlbum(app::TemplateEntry{"Broken", broken}); });
        const QString text = QString::fromStdString(f.env.prompts.calls().back().text);
        QVERIFY2(text.startsWith("The template \"Broken\" could not be opened: data.xml: ") &&
                     !text.contains(broken),
                 qPrintable(text));
    }

    void missingRecentFileOffersTheOpenDialog_data() {
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("no") << PromptButton::No << 0;
        QTest::newRow("yes") << PromptButton::Yes << 1;
    }
    void missingRecentFileOffersTheOpenDialog() {
        QFETCH(PromptButton, answer);
        QFETCH(int, dialogs);
        Fixture f;
        const QString a = f.savedAlbum("A.zip");
        QVERIFY(f.file.CloseAlbum());
        QFile::remove(a);
        f.env.prompts.answerButton(answer);
        f.env.prompts.answerText(std::nullopt);
        QVERIFY(!f.file.OpenRecentAlbum(a));
        QCOMPARE(asked(f.env.prompts, Call::Message, PromptKind::Warning), 1);
        for (const auto& call : f.env.prompts.calls())
            if (call.type == Call::Message)
                QVERIFY(QString::fromStdString(call.text).contains(a));
        QCOMPARE(asked(f.env.prompts, Call::OpenFile), dialogs);
        QCOMPARE(f.w->recent().Items, QStringList{a});
    }

    void openingWithAModifiedAlbumAsksOnce() {
        Fixture f;
        const QString a = f.savedAlbum("A.zip");
        f.w->album().SetModified(true);
        f.env.prompts.answerButton(PromptButton::No);
        QVERIFY(f.file.OpenAlbum(a));
        QCOMPARE(asked(f.env.prompts, Call::Message, PromptKind::Confirmation), 1);
        // Cancel in the save prompt keeps everything.
        f.w->album().SetModified(true);
        f.env.prompts.answerButton(PromptButton::Cancel);
        QVERIFY(!f.file.NewAlbum(std::nullopt));
        QVERIFY(f.w->album().Tree().Root());
    }

    // A link is judged by where it leads: the next Close would delete an album written there.
    void albumFilesInsideTheWorkingAreaAreRefused() {
        Fixture f;
        QVERIFY(f.newSample());
        const QString inside = model::Folders().PreviewFolder + "x.zip";
        QVERIFY(QFile::link(inside, f.out + "link.zip"));
        QVERIFY(QFile::link(f.out + "link.zip", f.out + "chain.zip"));
        QVERIFY(QFile::link(model::Folders().DataFolder, f.out + "data"));
        QVERIFY(QFile::link("../Preview/x.zip", model::Folders().ThumbsFolder + "up.zip"));
        const QString chosen[] = {inside, f.out + "link.zip", f.out + "chain.zip",
                                  f.out + "data/Preview/x.zip", f.out + "data/Thumbs/up.zip"};
        for (const QString& file : chosen) {
            f.env.prompts.answerText(file.toStdString());
            QVERIFY2(!f.file.SaveAlbumAs(), qPrintable(file));
            QVERIFY(!QFileInfo::exists(inside));
            QVERIFY(f.w->album().Modified());
            QVERIFY(QString::fromStdString(f.env.prompts.calls().back().text)
                        .contains("working folder"));
        }
    }
};

QTEST_MAIN(FileCommandsTest)
#include "tst_FileCommands.moc"
