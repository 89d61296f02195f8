// The settings frames as the main window builds them for the selected node: placement,
// editing through the frames' own controls, saving through "data.xml", a language switch
// while frames are shown, and the preview refresh that edits ask for.

#include "FramesTestSupport.h"

#include "app/frames/TfrmAccessField.h"
#include "app/frames/TfrmImageField.h"
#include "app/frames/TfrmLinkField.h"
#include "app/frames/TfrmMusicField.h"
#include "app/frames/TfrmPublishSizeField.h"
#include "app/frames/TfrmTextField.h"
#include "app/pages/AlbumTreeModel.h"

#include "model/FolderLayout.h"
#include "model/items/PhotoFiles.h"

#include "app/dialogs/FileDialogSettings.h"

#include <QActionGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTreeView>

using namespace app;
using frametest::part;
using frametest::Window;
using model::TpaTreeNode;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class SettingsFramesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void eachLevelGetsOneFramePerFieldInItsOrder() {
        Window t;
        t.load(frametest::fullTemplate());
        TpaTreeNode* gallery = t.root()->Child(0);
        TpaTreeNode* section = gallery->Child(0);
        TpaTreeNode* photo = t.addPhoto(t.root(), "P");
        TpaTreeNode* galleryPhoto = t.addPhoto(gallery, "Q");
        auto* galleryTab = apptest::child<QWidget>(*t.w, "tsGalleryItems");
        auto* panel = apptest::child<QWidget>(*t.w, "pnGalleryPreview");
        auto* label = apptest::child<QWidget>(*t.w, "lbGalleryItems");

        // Without caption field first: the preview's own place.
        t.select(section);
        QVERIFY(t.framesIn(galleryTab).isEmpty());
        const int panelTop = panel->y(), panelBottom = panel->geometry().bottom();
        const int labelTop = label->y();
        QCOMPARE(t.framesIn(t.boxContents(PageKind::Gallery)),
                 QStringList(
                     {"sbGallerySettings_TextFieldFrame0", "sbGallerySettings_TextFieldFrame1",
                      "sbGallerySettings_ImageFieldFrame0", "sbGallerySettings_AccessFieldFrame"}));

        const struct {
            TpaTreeNode* node;
            const char* previewTab;
            PageKind page;
            QStringList onPreview;
            QStringList inBox;
        } rows[] = {
            {gallery,
             "tsGalleryItems",
             PageKind::Gallery,
             {"sbGallerySettings_TextFieldFrame0"},
             // text 2 and 3, the image, the music; the access caption is empty
             {"sbGallerySettings_TextFieldFrame1", "sbGallerySettings_TextFieldFrame2",
              "sbGallerySettings_ImageFieldFrame0", "sbGallerySettings_MusicFieldFrame"}},
            {t.root(),
             "tsAlbumPreview",
             PageKind::Album,
             {"sbAlbumSettings_TextFieldFrame0"},
             {"sbAlbumSettings_PublishSizeFieldFrame", "sbAlbumSettings_TextFieldFrame1",
              "sbAlbumSettings_TextFieldFrame2", "sbAlbumSettings_TextFieldFrame3",
              "sbAlbumSettings_ImageFieldFrame0", "sbAlbumSettings_ImageFieldFrame1",
              "sbAlbumSettings_MusicFieldFrame", "sbAlbumSettings_AccessFieldFrame"}},
            {photo,
             "tsPhotoPreview",
             PageKind::Photo,
             {"sbPhotoSettings_TextFieldFrame0"},
             {"sbPhotoSettings_TextFieldFrame1", "sbPhotoSettings_MusicFieldFrame",
              "sbPhotoSettings_LinkFieldFrame"}},
            {galleryPhoto,
             "tsPhotoPreview",
             PageKind::Photo,
             {"sbPhotoSettings_TextFieldFrame0"},
             {}},
        };
        for (const auto& row : rows) {
            t.select(row.node);
            auto* tab = apptest::child<QWidget>(*t.w, row.previewTab);
            QCOMPARE(t.framesIn(tab), row.onPreview);
            QCOMPARE(t.framesIn(t.boxContents(row.page)), row.inBox);
            const SettingsPage page = t.w->settingsPage(row.page);
            QCOMPARE(page.tabs->isTabVisible(page.tabs->indexOf(page.settingsTab)),
                     !row.inBox.isEmpty());
            // Only the selected node's page holds frames.
            for (PageKind other : {PageKind::Album, PageKind::Gallery, PageKind::Photo})
                if (other != row.page)
                    QVERIFY(t.framesIn(t.boxContents(other)).isEmpty());
            if (row.node == gallery) {
                // The caption frame pushes the preview down; its bottom edge stays.
                QVERIFY(panel->y() >= panelTop + TfrmTextField::DesignHeight);
                QVERIFY(label->y() >= labelTop + TfrmTextField::DesignHeight);
                QCOMPARE(panel->geometry().bottom(), panelBottom);
            }
        }
        t.select(section);
        QCOMPARE(panel->y(), panelTop);
        QCOMPARE(label->y(), labelTop);
        QVERIFY2(!t.w->album().Modified(), "showing nodes changes nothing");
    }

    void fontSizeMarkupReplacesItselfAndTheAlbumCaptionRefreshesThePreview() {
        Window t("");
        for (bool album : {true, false}) {
            TpaTreeNode* node = album ? t.root() : t.root()->Child(0);
            t.select(node);
            const QString prefix = album ? "sbAlbumSettings" : "sbGallerySettings";
            auto* frame = t.frame<TfrmTextField>(prefix + "_TextFieldFrame0");
            QVERIFY(frame);
            part<QLineEdit>(frame, "edValue")->clear();
            QTest::keyClicks(part<QLineEdit>(frame, "edValue"), "Hello");
            QTest::qWait(400);
            t.env.recorder->Visited.clear();
            const struct {
                const char* item;
                QString value;
            } steps[] = {{"pifont24", "<font size=\"24\">Hello</font>"},
                         {"pifont12", "<font size=\"12\">Hello</font>"},
                         {"pifontdefault", "Hello"}};
            for (const auto& step : steps) {
                part<QMenu>(frame, "piFontMenu")->findChild<QAction*>(step.item)->trigger();
                QCOMPARE(node->Item()->CaptionField()->Value, step.value);
                QCOMPARE(part<QLineEdit>(frame, "edValue")->text(), step.value);
                QCOMPARE(node->Text(), QString("Hello"));
                QCOMPARE(t.w->treeModel()
                             .data(t.w->treeModel().indexOf(node), Qt::DisplayRole)
                             .toString(),
                         QString("Hello"));
            }
            QTest::qWait(400);
            // Three requests, one refresh of the album page; none for a gallery.
            QCOMPARE(t.env.recorder->Visited.size(), album ? 1 : 0);
            QVERIFY(t.w->album().Modified());
            // A caption renamed in the tree shows in the frame.
            part<QLineEdit>(frame, "edValue")->clearFocus();
            node->Item()->CaptionField()->Value = "Renamed";
            t.w->album().Tree().NotifyChanged(node);
            QCOMPARE(part<QLineEdit>(frame, "edValue")->text(), QString("Renamed"));
        }
    }

    void typingIntoAFrameEnablesSave() {
        Window t("");
        t.select(t.root());
        QAction* save = apptest::action(*t.w, "acFileSave");
        QVERIFY(!save->isEnabled());
        QTest::keyClicks(
            part<QLineEdit>(t.frame<TfrmTextField>("sbAlbumSettings_TextFieldFrame0"), "edValue"),
            "x");
        QVERIFY(t.w->album().Modified());
        QVERIFY2(save->isEnabled(), "an edit in a frame is something to save");
    }

    void lockedFieldsDisableTheirControls() {
        Window t(nullptr);
        t.load(frametest::fullTemplate());
        t.select(t.root());
        const struct {
            const char* frame;
            bool edit, size;
        } rows[] = {{"sbAlbumSettings_TextFieldFrame1", true, true},
                    {"sbAlbumSettings_TextFieldFrame2", false, true},  // locked
                    {"sbAlbumSettings_TextFieldFrame3", true, false}}; // lockfontsized
        for (const auto& row : rows) {
            auto* frame = t.frame<TfrmTextField>(row.frame);
            QVERIFY2(frame, row.frame);
            QCOMPARE(part<QLineEdit>(frame, "edValue")->isEnabled(), row.edit);
            QCOMPARE(part<QLabel>(frame, "lbCaption")->isEnabled(), row.edit);
            QCOMPARE(part<QPushButton>(frame, "btFontSize")->isEnabled(), row.size);
        }
    }

    void linkToTheSourceImageUsesForwardSlashes() {
        Window t(nullptr);
        t.load(frametest::fullTemplate());
        TpaTreeNode* photo = t.addPhoto(t.root(), "P");
        auto* item = photo->Item();
        item->Level.Photo.ImageFields.FindById(item->Level.Photo.Show)->Image.FileName =
            "pictavo_images\\a.jpg";
        t.select(photo);
        auto* frame = t.frame<TfrmLinkField>("sbPhotoSettings_LinkFieldFrame");
        QVERIFY(frame);
        QCOMPARE(part<QComboBox>(frame, "cbLinkTarget")->currentText(), QString("_blank"));
        QVERIFY(!t.w->album().Modified());
        part<QPushButton>(frame, "bbImageSource")->click();
        QCOMPARE(part<QLineEdit>(frame, "edLink")->text(), QString("pictavo_images/a.jpg"));
        QCOMPARE(item->Level.Photo.Link.Src, QString("pictavo_images/a.jpg"));
        QCOMPARE(item->Level.Photo.Link.Target, QString("_blank"));
        QVERIFY(t.w->album().Modified());
    }

    void musicIsCopiedBeforeTheOldFileGoes() {
        Window t("");
        const QString music = model::Folders().PreviewMusicFolder;
        QDir().mkpath(music);
        apptest::writeText(music + "old.mp3", "old");
        QTemporaryDir outside;
        apptest::writeText(outside.path() + "/song.mp3", "new song");
        auto* field = &t.root()->Item()->Music();
        field->FileName = "old.mp3";
        t.select(t.root());
        auto* frame = t.frame<TfrmMusicField>("sbAlbumSettings_MusicFieldFrame");
        QVERIFY(frame);

        // A chosen file that is gone before the copy: the old music stays, and the user is
        // told.
        t.env.prompts.answerText((outside.path() + "/gone.mp3").toStdString());
        t.env.prompts.answerButton(platform::PromptButton::Ok);
        part<QPushButton>(frame, "btBrowse")->click();
        QCOMPARE(field->FileName, QString("old.mp3"));
        QVERIFY(t.env.prompts.calls().back().text.find("gone.mp3") != std::string::npos);
        QVERIFY(QFileInfo::exists(music + "old.mp3"));
        // The file the field holds already: nothing changes, nothing is lost.
        t.env.prompts.answerText((music + "old.mp3").toStdString());
        part<QPushButton>(frame, "btBrowse")->click();
        QCOMPARE(field->FileName, QString("old.mp3"));
        QVERIFY(QFileInfo::exists(music + "old.mp3"));

        t.env.prompts.answerText((outside.path() + "/song.mp3").toStdString());
        part<QPushButton>(frame, "btBrowse")->click();
        QCOMPARE(QDir(music).entryList(QDir::Files), QStringList{field->FileName});
        QCOMPARE(readAll(music + field->FileName), QByteArray("new song"));
        QVERIFY(part<QPushButton>(frame, "btDelete")->isEnabled());
        QCOMPARE(part<QLineEdit>(frame, "edFileName")->text(), field->FileName);

        part<QRadioButton>(frame, "rbYes")->click();
        QCOMPARE(field->Startup, QString("on"));
        QVERIFY(part<QRadioButton>(frame, "rbYes")->isChecked() &&
                !part<QRadioButton>(frame, "rbNo")->isChecked());

        // Delete asks nothing; a name that climbs out of the music folder removes nothing.
        apptest::writeText(model::Folders().PreviewFolder + "victim.txt", "keep");
        part<QPushButton>(frame, "btDelete")->click();
        QVERIFY(field->FileName.isEmpty());
        QVERIFY(QDir(music).entryList(QDir::Files).isEmpty());
        QVERIFY(!part<QPushButton>(frame, "btDelete")->isEnabled());
        QVERIFY(part<QRadioButton>(frame, "rbNo")->isChecked());
        field->FileName = "../victim.txt";
        frame->LoadField();
        part<QPushButton>(frame, "btDelete")->click();
        QVERIFY(QFileInfo::exists(model::Folders().PreviewFolder + "victim.txt"));
        QCOMPARE(t.env.prompts.unscriptedCalls(), 0);
    }

    void editsThroughEveryFrameSurviveSaveAndReload_data() {
        QTest::addColumn<QString>("folder");
        QTest::newRow("sample template") << QString();
        QTest::newRow("full test template") << frametest::fullTemplate();
    }

    void editsThroughEveryFrameSurviveSaveAndReload() {
        QFETCH(QString, folder);
        Window t;
        t.load(folder);
        TpaTreeNode* gallery = t.root()->Child(0);
        TpaTreeNode* photo = t.addPhoto(t.root(), "P");
        QTemporaryDir outside;
        apptest::writeText(outside.path() + "/tune.mp3", "tune");
        QImage picture(300, 200, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(picture.save(outside.path() + "/bg.jpg", "JPEG"));

        auto type = [](QLineEdit* edit, const QString& text) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, text);
        };
        t.select(t.root());
        type(part<QLineEdit>(t.frame<TfrmTextField>("sbAlbumSettings_TextFieldFrame0"), "edValue"),
             "Holiday ]]> 2026");
        auto* welcome = t.frame<TfrmTextField>("sbAlbumSettings_TextFieldFrame1");
        type(part<QLineEdit>(welcome, "edValue"), "Hi & welcome");
        welcome->ApplyFontSize(14);
        // The sample template offers no password; the full one does.
        auto* albumAccess = t.frame<TfrmAccessField>("sbAlbumSettings_AccessFieldFrame");
        QCOMPARE(albumAccess != nullptr, !folder.isEmpty());
        if (albumAccess)
            type(part<QLineEdit>(albumAccess, "edValue"), "secret");
        auto* size = t.frame<TfrmPublishSizeField>("sbAlbumSettings_PublishSizeFieldFrame");
        size->btOriginalSizeClick();
        type(part<QLineEdit>(size, "edWidth"), "300");
        t.env.prompts.answerText((outside.path() + "/tune.mp3").toStdString());
        part<QPushButton>(t.frame<TfrmMusicField>("sbAlbumSettings_MusicFieldFrame"), "btBrowse")
            ->click();
        t.env.prompts.answerText((outside.path() + "/bg.jpg").toStdString());
        part<QPushButton>(t.frame<TfrmImageField>("sbAlbumSettings_ImageFieldFrame0"), "btChange")
            ->click();

        t.select(gallery);
        type(
            part<QLineEdit>(t.frame<TfrmTextField>("sbGallerySettings_TextFieldFrame0"), "edValue"),
            "Trip");
        QCOMPARE(gallery->Text(), QString("Trip"));
        if (auto* access = t.frame<TfrmAccessField>("sbGallerySettings_AccessFieldFrame"))
            type(part<QLineEdit>(access, "edValue"), "gallery secret");

        t.select(photo);
        auto* link = t.frame<TfrmLinkField>("sbPhotoSettings_LinkFieldFrame");
        type(part<QLineEdit>(link, "edLink"), "http://example.com/x?a=1&b=2");
        part<QComboBox>(link, "cbLinkTarget")->setCurrentIndex(1);
        type(part<QLineEdit>(t.frame<TfrmTextField>("sbPhotoSettings_TextFieldFrame0"), "edValue"),
             "Beach");
        QVERIFY(t.w->album().Modified());
        QCOMPARE(t.env.prompts.unscriptedCalls(), 0);

        const auto again = t.saveAndReload();
        TpaTreeNode* root = again->Tree().Root();
        model::TpaItem* r = root->Item();
        QCOMPARE(r->CaptionField()->Value, QString("Holiday ]]> 2026"));
        QCOMPARE(r->TextFields().FindById(2)->Value,
                 QString("<font size=\"14\">Hi & welcome</font>"));
        QCOMPARE(r->Level.Access.Value, folder.isEmpty() ? QString() : QString("secret"));
        QCOMPARE(readAll(model::Folders().PreviewMusicFolder + r->Music().FileName),
                 QByteArray("tune"));
        const auto& size2 = static_cast<model::TpaAlbumItem*>(r)->PublishSize;
        QCOMPARE(size2.WidthMetric, int(model::szPixel));
        QCOMPARE(size2.WidthPixel, 300);
        QCOMPARE(size2.HeightPixel, folder.isEmpty() ? 225 : 200);
        QString w, h;
        again->GetAlbumSize(w, h);
        QCOMPARE(w, QString("300"));
        const model::TpaImageInfo& image = r->ImageFields().FindById(1)->Image;
        QVERIFY(image.FileName.startsWith("pictavo_images/"));
        QVERIFY(QFileInfo::exists(model::Folders().PreviewFolder + image.FileName));
        // The reduced copy of the background was made anew.
        const model::TpaImageInfo& reduced = r->ImageFields().FindById(2)->Image;
        QVERIFY(reduced.FileName.startsWith("pictavo_thumbs/"));
        QVERIFY(reduced.Width > 0 && reduced.Width <= 160);
        QCOMPARE(root->Child(0)->Text(), QString("Trip"));
        TpaTreeNode* p = root->Child(root->ChildCount() - 1);
        QCOMPARE(p->Item()->Level.Photo.Link.Src, QString("http://example.com/x?a=1&b=2"));
        QCOMPARE(p->Item()->Level.Photo.Link.Target, QString("_self"));
        QCOMPARE(p->Text(), QString("Beach"));
    }

    // Beyond the line edit's default limit of 32,767 characters: shown whole, kept whole.
    void longValuesAreKeptWholeThroughTheFramesAndASave() {
        Window t;
        t.load(frametest::fullTemplate());
        TpaTreeNode* photo = t.addPhoto(t.root(), "P");
        const QString text = QStringLiteral("0123456789").repeated(10000);
        model::TpaItem* r = t.root()->Item();
        r->TextFields().FindById(2)->Value = text;
        r->Level.Access.Value = text;
        photo->Item()->Level.Photo.Link.Src = text;
        const struct {
            TpaTreeNode* node;
            const char* frame;
            const char* edit;
        } rows[] = {{t.root(), "sbAlbumSettings_TextFieldFrame1", "edValue"},
                    {t.root(), "sbAlbumSettings_AccessFieldFrame", "edValue"},
                    {photo, "sbPhotoSettings_LinkFieldFrame", "edLink"}};
        for (const auto& row : rows) {
            t.select(row.node);
            auto* edit = t.frame<QWidget>(row.frame)->findChild<QLineEdit*>(row.edit);
            QCOMPARE(edit->text().size(), text.size());
            edit->setFocus();
            QTest::keyClick(edit, Qt::Key_End);
            QTest::keyClick(edit, 'x');
        }
        const auto again = t.saveAndReload();
        TpaTreeNode* root = again->Tree().Root();
        QCOMPARE(root->Item()->TextFields().FindById(2)->Value, text + "x");
        QCOMPARE(root->Item()->Level.Access.Value, text + "x");
        QCOMPARE(root->Child(root->ChildCount() - 1)->Item()->Level.Photo.Link.Src, text + "x");
    }

    void framesShownFollowALanguageSwitch() {
        Window t("");
        t.select(t.root());
        auto* text = t.frame<TfrmTextField>("sbAlbumSettings_TextFieldFrame1");
        auto* image = t.frame<TfrmImageField>("sbAlbumSettings_ImageFieldFrame0");
        auto* music = t.frame<TfrmMusicField>("sbAlbumSettings_MusicFieldFrame");
        auto* size = t.frame<TfrmPublishSizeField>("sbAlbumSettings_PublishSizeFieldFrame");
        auto* caption = t.frame<TfrmTextField>("sbAlbumSettings_TextFieldFrame0");
        QVERIFY(text && image && music && size && caption);
        QCOMPARE(part<QPushButton>(text, "btFontSize")->text(), QString("Size"));
        size->btOriginalSizeClick();
        QCOMPARE(part<QComboBox>(size, "cbWidthMetrics")->currentIndex(), 1);

        QAction* german = nullptr;
        for (QAction* item : t.w->languageGroup()->actions())
            if (item->data().toString() == "de")
                german = item;
        QVERIFY(german);
        german->trigger();
        for (TfrmTextField* f : {text, caption}) {
            QCOMPARE(part<QPushButton>(f, "btFontSize")->text(), QString("Größe"));
            QCOMPARE(part<QAction>(f, "pifontdefault")->text(), QString("Standard"));
        }
        QCOMPARE(part<QPushButton>(image, "btChange")->text(), QString("Bild ändern..."));
        QVERIFY(
            part<FileDialogSettings>(image, "OpenPictureDialog")->Filter.startsWith("Bilddateien"));
        QCOMPARE(part<QPushButton>(music, "btBrowse")->text(), QString("D&urchsuchen..."));
        QVERIFY(part<FileDialogSettings>(music, "OpenDialog")->Filter.startsWith("Musikdateien"));
        QCOMPARE(part<QGroupBox>(size, "gbPublishSize")->title(),
                 QString(" Veröffentlichungsgröße: "));
        QCOMPARE(part<QComboBox>(size, "cbWidthMetrics")->itemText(1), QString("Pixel"));
        QCOMPARE(part<QComboBox>(size, "cbWidthMetrics")->currentIndex(),
                 1); // the chosen metric stays

        // Frames made after the switch start in the language too.
        t.select(t.root()->Child(0));
        auto* later = t.frame<TfrmTextField>("sbGallerySettings_TextFieldFrame0");
        QCOMPARE(part<QPushButton>(later, "btFontSize")->text(), QString("Größe"));
    }

    void typingWhileAnotherNodeIsSelectedIsSafe() {
        Window t("");
        TpaTreeNode* gallery = t.root()->Child(0);
        t.select(gallery);
        auto* frame = t.frame<TfrmTextField>("sbGallerySettings_TextFieldFrame0");
        QPointer<TfrmTextField> alive(frame);
        part<QLineEdit>(frame, "edValue")->setFocus();
        // A keystroke and a click on another node in the same batch of events.
        QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
        QMetaObject::invokeMethod(
            t.w.get(), [&] { t.w->selectNode(t.root()); }, Qt::QueuedConnection);
        QCoreApplication::postEvent(part<QLineEdit>(frame, "edValue"), key.clone());
        QMetaObject::invokeMethod(
            frame, [&] { QTest::keyClicks(part<QLineEdit>(frame, "edValue"), "bc"); },
            Qt::QueuedConnection);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(t.w->selectedNode(), t.root());
        QVERIFY(t.frame<TfrmTextField>("sbAlbumSettings_TextFieldFrame0"));
    }

    void framesLetGoOfFieldsReplacedUnderThem() {
        // A photo moved to another depth gets the fields of its new level; the frames shown
        // for it hold the old ones and must no longer read or write them.
        Window t("");
        TpaTreeNode* photo = t.addPhoto(t.root()->Child(0), "Moved");
        t.select(photo);
        auto* frame = t.frame<TfrmTextField>("sbPhotoSettings_TextFieldFrame0");
        QVERIFY(frame);
        QCOMPARE(frame->liveNode(), photo);
        const auto* level = t.w->album().Settings.Levels.FindLevel(0);
        QVERIFY(level);
        model::ChangePhotoLevel(*photo->Item(), *level, model::Folders());
        QVERIFY(!frame->liveNode());
        t.w->album().SetModified(false);
        QTest::keyClicks(part<QLineEdit>(frame, "edValue"),
                         "typed into a frame whose field is gone");
        t.w->album().Tree().NotifyChanged(photo);
        QVERIFY(!t.w->album().Modified());
    }

    void aBurstOfRefreshRequestsRewritesThePageOnce() {
        Window t("");
        t.select(t.root()->Child(0));
        QTest::qWait(400);
        t.env.recorder->Visited.clear();
        const QString data = model::Folders().PreviewFolder + "data.xml";
        QFile::remove(data);
        for (int i = 0; i < 20; ++i) {
            t.w->postRefreshPreview();
            QTest::qWait(10);
        }
        QVERIFY2(t.env.recorder->Visited.isEmpty(), "nothing while the requests go on");
        QVERIFY(!QFileInfo::exists(data));
        QTRY_COMPARE(t.env.recorder->Visited.size(), 1);
        QTest::qWait(400);
        QCOMPARE(t.env.recorder->Visited.size(), 1);
        QVERIFY(QFileInfo::exists(data));

        // The refresh makes the window busy for a moment; the user goes on typing where he was.
        t.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(t.w.get()));
        auto* edit =
            part<QLineEdit>(t.frame<TfrmTextField>("sbGallerySettings_TextFieldFrame0"), "edValue");
        edit->setFocus();
        QCOMPARE(QApplication::focusWidget(), edit);
        t.w->postRefreshPreview();
        QTRY_COMPARE(t.env.recorder->Visited.size(), 2);
        QCOMPARE(QApplication::focusWidget(), edit);
    }
};

QTEST_MAIN(SettingsFramesTest)
#include "tst_SettingsFrames.moc"
