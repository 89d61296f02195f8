#include "tests/app/AppTestSupport.h"

#include "app/ProductInfo.h"
#include "app/dialogs/FileDialogSettings.h"
#include "app/frames/LocalizedFrame.h"
#include "app/pages/AlbumTreeModel.h"
#include "app/pages/GalleryThumbnail.h"

#include "model/tree/TreeNode.h"
#include "platform/FileDialogFilter.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidgetAction>

using namespace app;
using model::TpaTreeNode;

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TpaTreeNode* addNode(TfrmMain& w, model::TpaItemKind kind, TpaTreeNode* parent,
                     const QString& caption) {
    auto item = w.album().CreateItem(kind, parent);
    if (auto* field = item->CaptionField())
        field->Value = caption;
    return w.album().Tree().Append(parent, std::move(item));
}

QStackedWidget* pages(TfrmMain& w) {
    return apptest::child<QStackedWidget>(w, "nbClient");
}

const QString kLanguageKey = "\\Software\\Brimlo Lumivex\\Language";

// A main window shown as at start-up, once its first posted messages have run; counts the
// start-up wizards it asks for.
std::unique_ptr<TfrmMain> started(apptest::TestEnvironment& env, int* wizards = nullptr) {
    auto w = env.makeMainWindow();
    if (wizards)
        env.commands->showStartupWizard = [wizards] { ++*wizards; };
    w->show();
    QCoreApplication::processEvents();
    return w;
}

// "Languages.xml" listing the languages (id, display name) in order.
void writeLanguageList(apptest::TestEnvironment& env,
                       const QList<QPair<QString, QString>>& languages) {
    QByteArray xml = "<Languages>";
    for (const auto& [id, display] : languages)
        xml += "<Language><Id>" + id.toUtf8() + "</Id><Display>" + display.toUtf8() +
               "</Display></Language>";
    apptest::writeText(env.program + "Languages/Languages.xml", xml + "</Languages>");
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void withoutAlbumOnlyTheAlwaysAvailableActionsWork() {
        apptest::TestEnvironment env;
        int wizards = 0;
        auto w = started(env, &wizards);
        QCOMPARE(wizards, 1);
        QCOMPARE(w->windowTitle(), ProductInfo::title());
        QCOMPARE(pages(*w)->currentIndex(), 0);
        for (const char* name :
             {"acFileNew", "acFileOpen", "acFileInstallNewAlbum", "acFileExit",
              "acOptionsFtpSetting", "acHelpHelpContents", "acHelpContactSupport", "acHelpAbout"})
            QVERIFY2(apptest::action(*w, name)->isEnabled(), name);
        for (const char* name :
             {"acFileReopen", "acFileSave", "acFileClose", "acFilePublish", "acEditAddGallery",
              "acEditAddPhoto", "acEditImport", "acEditDelete", "acViewExpandAll"})
            QVERIFY2(!apptest::action(*w, name)->isEnabled(), name);
        QCOMPARE(apptest::action(*w, "acFileSave")->shortcut(), QKeySequence("Ctrl+S"));
        QCOMPARE(apptest::action(*w, "acEditScanMyPictures")->shortcut(),
                 QKeySequence("Ctrl+Shift+Ins"));
        QCOMPARE(apptest::action(*w, "acFileUpdateProjectFile")->statusTip(),
                 QString("Update Album in Project"));
        // Every tool bar button has a picture, with or without a desktop icon theme.
        for (QToolBar* bar : w->findChildren<QToolBar*>())
            for (QAction* a : bar->actions())
                QVERIFY2(a->isSeparator() || a->icon().isNull() == false ||
                             qobject_cast<QWidgetAction*>(a),
                         qPrintable(a->objectName()));
        // The language menu is built but stays hidden.
        QCOMPARE(w->languageGroup()->actions().size(), 1);
        QVERIFY(!apptest::child<QMenu>(*w, "miViewLanguage")->menuAction()->isVisible());
    }

    void settingsFileIsMadeWithDefaultsAndOnlyOkWritesIt() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        const QString ini = env.program + "brimlogallery.ini";
        QVERIFY(QFileInfo(ini).isFile());
        // Owner only: the file holds the FTP password.
        const QFileDevice::Permissions mode = QFile::permissions(ini);
        QVERIFY(mode.testFlag(QFileDevice::ReadOwner) && mode.testFlag(QFileDevice::WriteOwner));
        QVERIFY(!(mode & (QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                          QFileDevice::ReadOther | QFileDevice::WriteOther)));
        QCOMPARE(readAll(ini), QByteArray("[Settings]\r\ndefFtpHost=\r\ndefFtpUser=\r\n"
                                          "defFtpPass=\r\ndefFtpDir=\r\n"
                                          "defFtpTransferMode=active\r\n"));
        QCOMPARE(w->ftpDefaults().TransferMode, QString("active"));

        const QByteArray before = readAll(ini);
        env.ftpSettings = [](FtpDefaults& v) {
            v.Host = "changed";
            return false; // Cancel
        };
        apptest::action(*w, "acOptionsFtpSetting")->trigger();
        QCOMPARE(readAll(ini), before);

        env.ftpSettings = [](FtpDefaults& v) {
            v.Host = "h";
            v.Password = "p;a=ss\"word ";
            v.TransferMode = "passive";
            return true;
        };
        apptest::action(*w, "acOptionsFtpSetting")->trigger();
        QCOMPARE(w->ftpDefaults().Host, QString("h"));
        const QByteArray after = readAll(ini);
        QVERIFY(after.contains("defFtpHost=h\r\n"));
        QVERIFY(after.contains("defFtpTransferMode=passive\r\n"));
        // The next start reads back exactly what was written, awkward characters included.
        w.reset();
        auto again = env.makeMainWindow();
        QCOMPARE(again->ftpDefaults().Password, QString("p;a=ss\"word "));
        QCOMPARE(again->ftpDefaults().TransferMode, QString("passive"));
    }

    void runTimeFramesAnywhereInTheirPagesFollowALanguageSwitch() {
        // A frame made at run time, deep inside a settings box or beside a preview.
        struct Frame : QWidget, LocalizedFrame {
            QString modelFrameName() const override { return "frmTextField"; }
            void LocalizeFrom(QObject* model) override { models << model; }
            QList<QObject*> models;
        };
        apptest::TestEnvironment env;
        auto w = started(env);
        QWidget model;
        model.setObjectName("frmTextField");
        env.forms.add(&model);
        auto* inBox = new Frame;
        inBox->setParent(w->settingsBox(PageKind::Album).widget());
        auto* holder = new QWidget(w->settingsBox(PageKind::Photo).widget());
        auto* nested = new Frame;
        nested->setParent(holder);
        auto* besidePreview = new Frame;
        besidePreview->setParent(apptest::child<QWidget>(*w, "tsPhotoPreview"));
        QAction* german = nullptr;
        for (QAction* item : w->languageGroup()->actions())
            if (item->data().toString() == "de")
                german = item;
        QVERIFY(german);
        german->trigger();
        QCOMPARE(apptest::action(*w, "acFileNew")->text(), QString("&Neu..."));
        for (Frame* frame : {inBox, nested, besidePreview})
            QCOMPARE(frame->models, QList<QObject*>{&model});
    }

    void storedLanguageIsAppliedAtFirstShow() {
        apptest::TestEnvironment env;
        env.store->writeString(kLanguageKey, "Language", "de");
        int wizards = 0;
        auto w = started(env, &wizards);
        QCOMPARE(wizards, 1);
        QCOMPARE(apptest::action(*w, "acFileNew")->text(), QString("&Neu..."));
        QCOMPARE(apptest::child<QMenu>(*w, "miFile")->title(), QString("&Datei"));
        QCOMPARE(platform::fileDialogFilter(w->actions().OpenDialog1->Filter),
                 QString("ZIP-Dateien (*.zip)"));
        QCOMPARE(
            platform::fileDialogFilter(w->actions().OpenPictureDialog1->Filter).split(";;").first(),
            QString("Bilddateien (*.jpg *.jpeg *.gif *.bmp)"));
        auto* tabs = apptest::child<QTabWidget>(*w, "pcAlbumSettings");
        QCOMPARE(tabs->tabText(0), QString("Albumvorschau"));
        QVERIFY(w->languageGroup()->actions().first()->isChecked());
        // Nouns computed by code come from the language's strings.
        QCOMPARE(apptest::action(*w, "acEditAddGallery")->text(), QString("Galerie"));
        QCOMPARE(w->windowTitle(), ProductInfo::title());

        // Choosing the stored language again writes it again.
        env.store->writeString(kLanguageKey, "Language", "other");
        w->languageGroup()->actions().first()->trigger();
        QCOMPARE(*env.store->readString(kLanguageKey, "Language"), QString("de"));
        QVERIFY(env.prompts.calls().empty());
    }

    void languageWhoseFileIsGoneChangesNothing() {
        apptest::TestEnvironment env;
        auto w = started(env);
        QFile::remove(env.program + "Languages/de/Language.xml");
        QAction* de = w->languageGroup()->actions().first();
        de->trigger();
        QVERIFY(!de->isChecked());
        QCOMPARE(apptest::action(*w, "acFileNew")->text(), QString("&New..."));
        QVERIFY(!env.store->readString(kLanguageKey, "Language"));
    }

    void brokenLanguageFileShowsOneErrorAndTheStartGoesOn_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("languages");
        QTest::newRow("language file") << "Languages/de/Language.xml"
                                       << QByteArray("<Localization Language='de'><Strings>") << 1;
        QTest::newRow("language list")
            << "Languages/Languages.xml" << QByteArray("<Languages><Language>") << 0;
    }

    void brokenLanguageFileShowsOneErrorAndTheStartGoesOn() {
        QFETCH(QString, file);
        QFETCH(QByteArray, text);
        QFETCH(int, languages);
        apptest::TestEnvironment env;
        apptest::writeText(env.program + file, text);
        env.store->writeString(kLanguageKey, "Language", "de");
        int wizards = 0;
        auto w = started(env, &wizards);
        QCOMPARE(wizards, 1);
        QCOMPARE(env.prompts.calls().size(), size_t(1));
        QCOMPARE(env.prompts.calls()[0].kind, platform::PromptKind::Error);
        QCOMPARE(apptest::action(*w, "acFileNew")->text(), QString("&New..."));
        QVERIFY(apptest::action(*w, "acFileNew")->isEnabled());
        QCOMPARE(w->languageGroup()->actions().size(), languages);
        for (QAction* item : w->languageGroup()->actions())
            QVERIFY(!item->isChecked());
        QVERIFY(!apptest::child<QMenu>(*w, "miViewLanguage")->menuAction()->isVisible());
        QVERIFY(!w->busyState().busy());
        QVERIFY(w->centralWidget()->isEnabled());
    }

    void aLanguageThatCannotBeAppliedKeepsThePreviousOne() {
        apptest::TestEnvironment env;
        writeLanguageList(env, {{"de", "Deutsch"}, {"xx", "No root"}, {"yy", "Gone"}});
        // A file without the root "Localization" is no language file.
        apptest::writeText(env.program + "Languages/xx/Language.xml",
                           "<Translation><Strings><Item Id='1'><![CDATA[X]]></Item></Strings>"
                           "</Translation>");
        auto w = started(env);
        const QList<QAction*> items = w->languageGroup()->actions();
        QCOMPARE(items.size(), 3);
        items[0]->trigger();
        QVERIFY(items[0]->isChecked());
        QCOMPARE(*env.store->readString(kLanguageKey, "Language"), QString("de"));
        for (QAction* failing : {items[1], items[2]}) {
            failing->trigger();
            QVERIFY(items[0]->isChecked());
            QVERIFY(!failing->isChecked());
            QCOMPARE(*env.store->readString(kLanguageKey, "Language"), QString("de"));
            QCOMPARE(apptest::action(*w, "acFileNew")->text(), QString("&Neu..."));
        }
        QVERIFY(env.prompts.calls().empty());
    }

    void aLanguageMayRenameTheApplication() {
        apptest::TestEnvironment env;
        env.forms.Title = ProductInfo::title();
        writeLanguageList(env, {{"de", "Deutsch"}, {"xx", "Titled"}});
        apptest::writeText(env.program + "Languages/xx/Language.xml",
                           "<Localization Language='xx'><Application><Title>"
                           "<![CDATA[Fotoalbum]]></Title></Application></Localization>");
        auto w = started(env);
        w->UpdateCaption("a.zip");
        w->languageGroup()->actions()[1]->trigger();
        QCOMPARE(w->windowTitle(), QString("Fotoalbum  [a.zip]"));
        w->UpdateCaption();
        QCOMPARE(w->windowTitle(), QString("Fotoalbum"));
        // The next language has no title of its own: the program's name comes back.
        w->languageGroup()->actions()[0]->trigger();
        QCOMPARE(w->windowTitle(), ProductInfo::title());
    }

    void switchingLanguageUpdatesShownTextsAndBringsEnglishBack() {
        apptest::TestEnvironment env;
        writeLanguageList(env, {{"de", "Deutsch"}, {"xx", "Sparse"}});
        apptest::writeText(env.program + "Languages/xx/Language.xml",
                           "<Localization Language='xx'><Application><frmMain><acFileOpen>"
                           "<Caption><![CDATA[Auf]]></Caption></acFileOpen></frmMain>"
                           "</Application></Localization>");
        auto w = started(env);
        const QList<QAction*> items = w->languageGroup()->actions();
        QCOMPARE(items.size(), 2);
        items[0]->trigger();
        QCOMPARE(apptest::action(*w, "acFileNew")->text(), QString("&Neu..."));
        items[1]->trigger();
        QCOMPARE(apptest::action(*w, "acFileNew")->text(), QString("&New..."));
        QCOMPARE(apptest::action(*w, "acFileOpen")->text(), QString("Auf"));
        QCOMPARE(w->actions().OpenDialog1->Filter, QString("ZIP Files (*.zip)|*.zip"));
        QVERIFY(items[1]->isChecked());
        QVERIFY(!items[0]->isChecked());
    }

    void albumPagesNounsPreviewAndSharedTab() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        TpaTreeNode* root = w->album().Tree().Root();
        QVERIFY(root);
        auto* tree = apptest::child<QTreeView>(*w, "tvTreeView");
        QCOMPARE(tree->model()->rowCount(), 1);
        const QModelIndex rootIndex = tree->model()->index(0, 0);
        QCOMPARE(rootIndex.data().toString(), QString("My Album")); // markup stripped
        QCOMPARE(rootIndex.data(Qt::EditRole).toString(),
                 QString("<font size=\"18\">My Album</font>"));

        w->selectNode(root);
        QCOMPARE(pages(*w)->currentIndex(), 1);
        QCOMPARE(apptest::action(*w, "acEditAddGallery")->text(), QString("Gallery"));
        QCOMPARE(apptest::action(*w, "acEditAddGallery")->statusTip(),
                 QString("Add new Gallery to album"));
        QCOMPARE(apptest::child<QToolButton>(*w, "tbEditAddSubGallery")->toolTip(),
                 QString("Add new Gallery under My Album"));
        QVERIFY(apptest::action(*w, "acFileClose")->isEnabled());
        QVERIFY(!apptest::action(*w, "acEditDelete")->isEnabled());
        QVERIFY(apptest::action(*w, "acEditAddPhoto")->isEnabled());

        // The refresh is posted, then writes the page and shows it.
        const QString index = model::Folders().PreviewFolder + "index.html";
        QFile::remove(index);
        QVERIFY(env.recorder->Visited.isEmpty());
        QTRY_COMPARE(env.recorder->Visited.size(), 1);
        QCOMPARE(env.recorder->Visited.last(), QUrl::fromLocalFile(index));
        QVERIFY(QFileInfo(index).isFile());
        QVERIFY(readAll(index).contains("My Album"));

        // The settings tab stays chosen when another node kind is selected.
        TpaTreeNode* gallery = root->Child(0);
        w->selectNode(gallery);
        QCOMPARE(pages(*w)->currentIndex(), 2);
        apptest::child<QTabWidget>(*w, "pcGallerySettings")->setCurrentIndex(1);
        w->selectNode(root);
        QCOMPARE(apptest::child<QTabWidget>(*w, "pcAlbumSettings")->currentIndex(), 1);
        QVERIFY(apptest::action(*w, "acEditDelete")->isEnabled() == false);

        w->UpdateCaption("a.zip");
        QCOMPARE(w->windowTitle(), QString("Fotrenza  [a.zip]"));
        w->UpdateCaption("[*]");
        QCOMPARE(w->windowTitle(), QString("Fotrenza  [[*][*]]"));
        w->UpdateCaption();
        QCOMPARE(w->windowTitle(), QString("Fotrenza"));
    }

    void publishSizeSettingOpensTheAlbumSettingsTab() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        TpaTreeNode* root = w->album().Tree().Root();
        auto* albumTabs = apptest::child<QTabWidget>(*w, "pcAlbumSettings");
        w->selectNode(root->Child(0));
        QCOMPARE(pages(*w)->currentIndex(), 2);
        apptest::action(*w, "acFilePublishSetting")->trigger();
        QCOMPARE(w->selectedNode(), root);
        QCOMPARE(pages(*w)->currentIndex(), 1);
        QCOMPARE(albumTabs->currentWidget(), apptest::child<QWidget>(*w, "tsAlbumSettings"));
        // The tab stays the shared one for the next node.
        w->selectNode(root->Child(0));
        QCOMPARE(apptest::child<QTabWidget>(*w, "pcGallerySettings")->currentIndex(), 1);

        // With the root selected on its preview tab, the action switches the tab.
        w->selectNode(root);
        albumTabs->setCurrentIndex(0);
        apptest::action(*w, "acFilePublishSetting")->trigger();
        QCOMPARE(albumTabs->currentIndex(), 1);
        QCOMPARE(w->selectedNode(), root);
        // Already there: the preview is refreshed.
        QCoreApplication::processEvents();
        env.recorder->Visited.clear();
        apptest::action(*w, "acFilePublishSetting")->trigger();
        QTRY_COMPARE(env.recorder->Visited.size(), 1);
    }

    void aClearedTreeShowsTheEmptyPage() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        w->selectNode(w->album().Tree().Root()->Child(0));
        QCOMPARE(pages(*w)->currentIndex(), 2);
        QVERIFY(apptest::action(*w, "acEditDelete")->isEnabled());
        w->album().Tree().Clear();
        QCOMPARE(pages(*w)->currentIndex(), 0);
        QVERIFY(!w->selectedNode());
        QVERIFY(!apptest::action(*w, "acEditDelete")->isEnabled());
        QVERIFY(!apptest::action(*w, "acFileClose")->isEnabled());
    }

    void refreshAfterTheAlbumClosedWritesNothing() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        env.loadSampleAlbum(*w);
        w->postRefreshPreview();
        w->album().Tree().Clear();
        QFile::remove(model::Folders().PreviewFolder + "index.html");
        QCoreApplication::processEvents();
        QVERIFY(env.recorder->Visited.isEmpty());
        QVERIFY(!QFileInfo::exists(model::Folders().PreviewFolder + "index.html"));
    }

    void galleryPageShowsChildrenWithFramedPhotos() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        TpaTreeNode* gallery = w->album().Tree().Root()->Child(0);
        addNode(*w, model::ikGallery, gallery, "Sub");
        TpaTreeNode* p1 = addNode(*w, model::ikPhoto, gallery, "One");
        TpaTreeNode* p2 = addNode(*w, model::ikPhoto, gallery, "Two");
        QImage picture(60, 40, QImage::Format_RGB32);
        picture.fill(Qt::red);
        const QString thumb = model::Folders().ThumbsFolder + "tn_one.jpg";
        QVERIFY(picture.save(thumb, "JPEG"));
        auto showField = [](TpaTreeNode* n) {
            auto* item = n->Item();
            return item->Level.Photo.ImageFields.FindById(item->Level.Photo.Show);
        };
        QVERIFY(showField(p1));
        showField(p1)->Image.Thumbnail = thumb;
        showField(p2)->Image.Thumbnail = model::Folders().ThumbsFolder + "missing.jpg";

        w->selectNode(gallery);
        auto* list = apptest::child<QListWidget>(*w, "lvGalleryPreview");
        QCOMPARE(list->count(), 3);
        QCOMPARE(list->item(0)->text(), QString("Sub"));
        QCOMPARE(list->item(1)->text(), QString("One"));
        QCOMPARE(list->item(2)->text(), QString("Two"));
        auto cell = [&](int i) { return list->item(i)->icon().pixmap(150, 150).toImage(); };
        // A 60x40 picture is drawn at its size: x = 44, y = 55; the shadow below it.
        const QImage framed = cell(1);
        QCOMPARE(framed.size(), QSize(150, 150));
        QCOMPARE(QColor(framed.pixel(46, 96)), QColor(0x60, 0x60, 0x60));
        QVERIFY(qRed(framed.pixel(74, 74)) > 200 && qGreen(framed.pixel(74, 74)) < 60);
        // The missing thumbnail shows the placeholder picture without frame or shadow.
        const QImage missing = cell(2);
        QVERIFY(QColor(missing.pixel(44, 99)) != QColor(0x60, 0x60, 0x60));
        QVERIFY(qAbs(qGray(missing.pixel(74, 74)) - 200) < 12);

        // Double-clicking an icon selects its node.
        list->setCurrentRow(2);
        emit list->itemDoubleClicked(list->item(2));
        QCOMPARE(w->selectedNode(), p2);
        QCOMPARE(pages(*w)->currentIndex(), 3);
        QVERIFY(apptest::action(*w, "acViewPrev")->isEnabled());
        QVERIFY(!apptest::action(*w, "acViewNext")->isEnabled());
        apptest::action(*w, "acViewPrev")->trigger();
        QCOMPARE(w->selectedNode(), p1);
    }

    void photoPageShowsTheStoredFacts() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        TpaTreeNode* photo = addNode(*w, model::ikPhoto, w->album().Tree().Root(), "Beach");
        auto* item = photo->Item();
        auto& facts = item->Level.Photo.ImageFields.FindById(item->Level.Photo.Show)->Image;
        facts.FileName = "pictavo_images/beach.jpg"; // not there
        facts.Name = "beach.jpg";
        facts.Width = 640;
        facts.Height = 480;
        facts.ImageType = "JPEG";
        facts.Size = 46387;
        w->selectNode(photo);
        QCOMPARE(pages(*w)->currentIndex(), 3);
        QCOMPARE(apptest::child<QLabel>(*w, "lbPhotoProperties")->text(),
                 QString("beach.jpg  (640x480)  JPEG  45.3 KB"));
        QVERIFY(!apptest::child<QLabel>(*w, "imgPhotoPreview")->pixmap().isNull());
        QVERIFY(apptest::action(*w, "acEditChangeImage")->isEnabled());
        QVERIFY(apptest::action(*w, "acEditDelete")->isEnabled());

        // The photo, chosen in a small window, is drawn large once the window grows.
        QImage big(1200, 900, QImage::Format_RGB32);
        big.fill(Qt::red);
        QDir().mkpath(model::Folders().PreviewFolder + "pictavo_images");
        QVERIFY(big.save(model::Folders().PreviewFolder + facts.FileName, "JPEG"));
        auto* image = apptest::child<QLabel>(*w, "imgPhotoPreview");
        w->resize(640, 480);
        QTRY_VERIFY(image->width() < 500);
        w->selectNode(w->album().Tree().Root());
        w->selectNode(photo);
        w->resize(1600, 1200);
        QTRY_COMPARE(image->pixmap().size(), image->size());
        const QSize fitted =
            GalleryThumbnail::fit({1200, 900}, image->size() - QSize(14, 14))
                .boundedTo(QGuiApplication::primaryScreen()->availableVirtualSize());
        QVERIFY(fitted.width() > 620);
        const QImage drawn = image->pixmap().toImage();
        const int x = (image->width() - fitted.width()) / 2 - 1;
        const QColor inside(drawn.pixel(x + 4, image->height() / 2));
        QVERIFY(inside.red() > 200 && inside.green() < 60);
    }

    void closingAsksTheAlbumAndMayBeRefused() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        w->UpdateActions();
        int asked = 0;
        env.commands->closeAlbum = [&] {
            ++asked;
            return false; // the user cancelled the save prompt
        };
        QVERIFY(!w->close());
        QCOMPARE(asked, 1);
        QVERIFY(w->isVisible());
        env.commands->closeAlbum = [&] {
            w->album().Tree().Clear();
            return true;
        };
        QVERIFY(w->close());
    }

    void recentAlbumsFillEveryReopenMenu() {
        apptest::TestEnvironment env;
        env.store->writeInt("\\Software\\Brimlo Lumivex\\Recent", "Count", 2);
        env.store->writeString("\\Software\\Brimlo Lumivex\\Recent", "Item0", "/a/x.zip");
        env.store->writeString("\\Software\\Brimlo Lumivex\\Recent", "Item1", "/b/R&D.zip");
        auto w = env.makeMainWindow();
        QVERIFY(apptest::action(*w, "acFileReopen")->isEnabled());
        for (const char* name : {"miFileReopen", "miMainReopen", "miAlbumReopen", "miGalleryReopen",
                                 "miPhotoReopen", "pmRecent"}) {
            QMenu* menu = apptest::child<QMenu>(*w, name);
            QVERIFY2(menu, name);
            QCOMPARE(menu->actions().size(), 2);
        }
        QStringList opened;
        env.commands->openRecentAlbum = [&](const QString& file) { opened << file; };
        apptest::child<QMenu>(*w, "pmRecent")->actions()[1]->trigger();
        QCOMPARE(opened, QStringList{"/b/R&D.zip"});
        w.reset();
        // Written back when the window goes.
        QCOMPARE(*env.store->readString("\\Software\\Brimlo Lumivex\\Recent", "Item1"),
                 QString("/b/R&D.zip"));
    }

    void viewActionsAndMenusThatStartOtherCommands() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        w->show();
        env.loadSampleAlbum(*w);
        TpaTreeNode* root = w->album().Tree().Root();
        TpaTreeNode* first = root->Child(0);
        TpaTreeNode* second = addNode(*w, model::ikGallery, root, "Second");
        TpaTreeNode* photo = addNode(*w, model::ikPhoto, first, "Photo 1");
        auto* tree = apptest::child<QTreeView>(*w, "tvTreeView");

        w->selectNode(photo);
        QVERIFY(apptest::action(*w, "acViewExpandAll")->isEnabled());
        apptest::action(*w, "acViewExpandAll")->trigger();
        QVERIFY(tree->isExpanded(w->treeModel().indexOf(first)));
        apptest::action(*w, "acViewCollapseAll")->trigger();
        QCOMPARE(w->selectedNode(), root);
        QVERIFY(tree->isExpanded(w->treeModel().indexOf(root)));
        QVERIFY(!tree->isExpanded(w->treeModel().indexOf(first)));

        // Move-to entries name the other galleries; choosing one hands over its node.
        w->selectNode(photo);
        QMenu* moveTo = apptest::child<QMenu>(*w, "miEditMoveTo");
        QVERIFY(moveTo->actions().size() >= 2);
        QVERIFY(apptest::action(*w, "acEditMoveTo")->isEnabled());
        QList<TpaTreeNode*> targets;
        env.commands->movePhotoTo = [&](TpaTreeNode* target) { targets << target; };
        for (QAction* entry : moveTo->actions()) {
            if (entry->text() == "Second")
                entry->trigger();
        }
        QCOMPARE(targets, QList<TpaTreeNode*>{second});

        // The popup menus' rename items are items of their own (they edit in place) that
        // follow the rename action's state.
        QAction* popupRename = apptest::action(*w, "miPhotoRename");
        QVERIFY(popupRename);
        QCOMPARE(w->actions().miPhotoRename, popupRename);
        QVERIFY(popupRename->isEnabled());
        apptest::action(*w, "acEditRename")->setEnabled(false);
        QVERIFY(!popupRename->isEnabled());
        w->UpdateActions();
        QVERIFY(popupRename->isEnabled());

        // Refresh from another node goes to the album's preview tab.
        w->selectNode(second);
        apptest::child<QTabWidget>(*w, "pcGallerySettings")->setCurrentIndex(1);
        env.recorder->Visited.clear();
        apptest::action(*w, "acViewRefreshAlbumPreview")->trigger();
        QCOMPARE(w->selectedNode(), root);
        QCOMPARE(apptest::child<QTabWidget>(*w, "pcAlbumSettings")->currentIndex(), 0);
        QTRY_COMPARE(env.recorder->Visited.size(), 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_frmMain.moc"
