#include "tests/app/commands/CommandsTestSupport.h"

#include "app/commands/FileCommands.h"
#include "app/commands/PhotoCommands.h"
#include "app/commands/TreeCommands.h"
#include "app/frames/TfrmTextField.h"
#include "app/pages/PhotoDropRules.h"

#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QToolButton>

using namespace app;
using model::TpaTreeNode;
using platform::PromptButton;

namespace {

struct Editor {
    apptest::TestEnvironment env;
    std::unique_ptr<TfrmMain> w;
    explicit Editor(int maxFolders = 50, int maxPhotos = 10, const QString& level = "Event") {
        w = env.makeMainWindow();
        env.commands->showStartupWizard = [] {};
        w->show();
        QCoreApplication::processEvents();
        commandtest::loadAlbum(*w, maxFolders, maxPhotos, level);
    }
    TreeCommands& tree() { return env.commands->real.tree(); }
    PhotoCommands& photos() { return env.commands->real.photo(); }
    TpaTreeNode* root() { return w->album().Tree().Root(); }
    TpaTreeNode* gallery(const TpaTreeNode* parent = nullptr) {
        w->selectNode(const_cast<TpaTreeNode*>(parent ? parent : root()));
        tree().AddGallery(false);
        return w->selectedNode();
    }
    // Adds pictures named name0.jpg, name1.jpg, ... under the gallery.
    QList<TpaTreeNode*> photosIn(TpaTreeNode* gallery, int count, const QString& name = "p") {
        QStringList files;
        for (int i = 0; i < count; ++i)
            files << commandtest::picture(env.dir.path() + "/src/" + name + QString::number(i) +
                                          ".jpg");
        w->selectNode(gallery);
        photos().AddFiles(files, "Adding", "Adding");
        QList<TpaTreeNode*> added;
        for (int i = gallery->ChildCount() - count; i < gallery->ChildCount(); ++i)
            added << gallery->Child(i);
        return added;
    }
    QString lastMessage() const { return QString::fromStdString(env.prompts.calls().back().text); }
};

QString imagesFolder() {
    return model::Folders().PreviewImagesFolder;
}

} // namespace

class TreeCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void addGalleryNamesByLevelAndStopsAtTheLimit() {
        Editor e(3);
        e.w->album().SetModified(false);
        QAction* add = apptest::action(*e.w, "acEditAddGallery");
        add->trigger();
        e.w->selectNode(e.root());
        add->trigger();
        QCOMPARE(commandtest::childTexts(e.root()), QStringList({"Event 1", "Event 2"}));
        QCOMPARE(e.w->selectedNode()->Text(), QString("Event 2"));
        QVERIFY(e.w->album().Modified());
        QVERIFY(apptest::action(*e.w, "acFileSave")->isEnabled());

        // The tool button adds beside the selected gallery, not below it.
        e.w->selectNode(e.root()->Child(0));
        apptest::child<QToolButton>(*e.w, "tbEditAddGallery")->click();
        QCOMPARE(commandtest::childTexts(e.root()), QStringList({"Event 1", "Event 2", "Event 3"}));
        QCOMPARE(e.root()->Child(0)->ChildCount(), 0);
        // Full: a fourth one is refused, by the action state and by the command itself.
        e.w->selectNode(e.root());
        QVERIFY(!add->isEnabled());
        e.tree().AddGallery(false);
        QCOMPARE(e.root()->ChildCount(), 3);
        // A child of a gallery takes the next free number of the whole tree.
        TpaTreeNode* sub = e.gallery(e.root()->Child(1));
        QCOMPARE(sub->Text(), QString("Event 4"));
        QCOMPARE(sub->Parent(), e.root()->Child(1));

        Editor unnamed(3, 10, "");
        QCOMPARE(unnamed.gallery()->Text(), QString("Gallery 1"));
    }

    void deleteAsksForAFullGalleryAndRemovesOnlyItsFiles() {
        Editor e;
        TpaTreeNode* full = e.gallery();
        TpaTreeNode* photo = e.photosIn(full, 1).first();
        const QString thumb = photo->Item()->Level.Photo.ImageFields.FindById(1)->Image.Thumbnail;
        // A damaged album names a file outside the working folder for the reduced copy.
        const QString outside = e.env.dir.path() + "/outside.jpg";
        commandtest::picture(outside);
        photo->Item()->Level.Photo.ImageFields.FindById(2)->Image.FileName = "../../outside.jpg";
        TpaTreeNode* other = e.gallery();
        e.photosIn(other, 1, "q");
        const QStringList before = commandtest::filesIn(imagesFolder());
        QCOMPARE(before, QStringList({"p0.jpg", "q0.jpg"}));

        e.w->selectNode(full);
        e.env.prompts.answerButton(PromptButton::No);
        apptest::action(*e.w, "acEditDelete")->trigger();
        QCOMPARE(e.lastMessage(),
                 QString("Gallery \"Event 1\" is not empty. Delete this gallery and all its "
                         "contents?"));
        // Return must not delete what cannot be brought back.
        QCOMPARE(e.env.prompts.calls().back().defaultButton, PromptButton::No);
        QCOMPARE(e.root()->ChildCount(), 2);
        QCOMPARE(commandtest::filesIn(imagesFolder()), before);

        e.env.prompts.answerButton(PromptButton::Yes);
        e.tree().DeleteSelected();
        QCOMPARE(commandtest::childTexts(e.root()), QStringList({"Event 2"}));
        QCOMPARE(commandtest::filesIn(imagesFolder()), QStringList({"q0.jpg"}));
        // The reduced copy it named no more is left; the file the damaged path named stays.
        QCOMPARE(commandtest::filesIn(model::Folders().PreviewThumbsFolder),
                 QStringList({"tn_p0.jpg", "tn_q0.jpg"}));
        QVERIFY(!QFile::exists(thumb));
        QVERIFY(QFile::exists(outside));

        // An empty gallery and a photo go without a question; the root never goes.
        const auto asked = e.env.prompts.calls().size();
        TpaTreeNode* empty = e.gallery();
        e.w->selectNode(empty);
        e.tree().DeleteSelected();
        e.w->selectNode(e.root()->Child(0)->Child(0));
        e.tree().DeleteSelected();
        e.w->selectNode(e.root());
        e.tree().DeleteSelected();
        QCOMPARE(e.env.prompts.calls().size(), asked);
        QCOMPARE(commandtest::childTexts(e.root()), QStringList({"Event 2"}));
        QCOMPARE(e.root()->Child(0)->ChildCount(), 0);
        QVERIFY(commandtest::filesIn(imagesFolder()).isEmpty());
    }

    void captionsWithMarkupShowStrippedAndEditRaw() {
        Editor e;
        TpaTreeNode* g = e.gallery();
        g->Item()->CaptionField()->Value = "<font size=\"14\">Summer</font>";
        e.w->album().Tree().NotifyChanged(g);
        AlbumTreeModel& model = e.w->treeModel();
        const QModelIndex index = model.indexOf(g);
        QCOMPARE(index.data(Qt::DisplayRole).toString(), QString("Summer"));
        QCOMPARE(index.data(Qt::EditRole).toString(), QString("<font size=\"14\">Summer</font>"));

        // Rename from the popup menu opens the editor on the stored text.
        e.w->selectNode(g);
        e.w->UpdateActions();
        apptest::action(*e.w, "miGalleryRename")->trigger();
        QCoreApplication::processEvents();
        auto* editor = e.w->treeView().viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("<font size=\"14\">Summer</font>"));
        editor->setText("Winter");
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(g->Item()->CaptionField()->Value, QString("Winter"));
        e.w->album().SaveToXml(model::Folders().PreviewFolder + "data.xml");
        QFile data(model::Folders().PreviewFolder + "data.xml");
        QVERIFY(data.open(QIODevice::ReadOnly));
        QVERIFY(data.readAll().contains("<![CDATA[Winter]]>"));
        // Accepted unchanged, the album stays unmodified.
        e.w->album().SetModified(false);
        apptest::action(*e.w, "miGalleryRename")->trigger();
        QCoreApplication::processEvents();
        editor = e.w->treeView().viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        QVERIFY(!e.w->album().Modified());

        // Rename from the main menu goes to the caption frame above the gallery's items.
        e.w->activateWindow();
        e.w->selectNode(g);
        e.w->UpdateActions();
        apptest::action(*e.w, "acEditRename")->trigger();
        QCoreApplication::processEvents();
        auto* page = apptest::child<QWidget>(*e.w, "tsGalleryItems");
        const auto frames = page->findChildren<TfrmTextField*>();
        QCOMPARE(frames.size(), 1);
        QCOMPARE(QApplication::focusWidget(), frames.first()->valueEditor());
        QCOMPARE(frames.first()->valueEditor()->text(), QString("Winter"));
    }

    void movingAPhotoToAnotherDepthAsksAndConvertsItsValues() {
        Editor e;
        TpaTreeNode* a = e.gallery();
        TpaTreeNode* b = e.gallery();
        TpaTreeNode* photo = e.photosIn(a, 1).first();
        photo->Item()->Level.Photo.TextFields.FindById(2)->Value = "described";
        const auto asked = e.env.prompts.calls().size();

        // Same depth: no question, every value kept.
        e.w->selectNode(photo);
        e.tree().MovePhotoTo(b);
        QCOMPARE(e.env.prompts.calls().size(), asked);
        QCOMPARE(photo->Parent(), b);
        QCOMPARE(photo->Item()->Level.Photo.TextFields.FindById(2)->Value, QString("described"));

        // To the root: No changes nothing.
        e.env.prompts.answerButton(PromptButton::No);
        e.tree().MovePhotoTo(e.root());
        QCOMPARE(e.lastMessage(),
                 QString("Some information could be lost. Are you sure to proceed?"));
        QCOMPARE(photo->Parent(), b);
        QCOMPARE(commandtest::filesIn(model::Folders().PreviewThumbsFolder),
                 QStringList({"tn_p0.jpg"}));

        // Yes: the reduced copy (id 2, not in the root's photos) goes, the main image stays.
        e.env.prompts.answerButton(PromptButton::Yes);
        e.tree().MovePhotoTo(e.root());
        QCOMPARE(photo->Parent(), e.root());
        QCOMPARE(photo->Index(), e.root()->ChildCount() - 1);
        const auto& fields = photo->Item()->Level.Photo.ImageFields;
        QVERIFY(!fields.FindById(2));
        QVERIFY(fields.FindById(3)->Image.FileName.isEmpty());
        QCOMPARE(fields.FindById(1)->Image.FileName, QString("pictavo_images/p0.jpg"));
        QVERIFY(commandtest::filesIn(model::Folders().PreviewThumbsFolder).isEmpty());
        QCOMPARE(commandtest::filesIn(imagesFolder()), QStringList({"p0.jpg"}));
        QCOMPARE(photo->Text(), QString("p0.jpg"));
    }

    void moveUpAndDownKeepTheParent() {
        Editor e;
        TpaTreeNode* g = e.gallery();
        const QList<TpaTreeNode*> p = e.photosIn(g, 3);
        e.w->selectNode(p[1]);
        apptest::action(*e.w, "acEditMoveDown")->trigger();
        QCOMPARE(commandtest::childTexts(g), QStringList({"p0.jpg", "p2.jpg", "p1.jpg"}));
        QCOMPARE(e.w->selectedNode(), p[1]);
        e.tree().MoveDown(); // last already
        QCOMPARE(commandtest::childTexts(g), QStringList({"p0.jpg", "p2.jpg", "p1.jpg"}));
        e.tree().MoveUp();
        e.tree().MoveUp();
        QCOMPARE(commandtest::childTexts(g), QStringList({"p1.jpg", "p0.jpg", "p2.jpg"}));
        // A gallery moves among the root's children, its photos with it.
        TpaTreeNode* h = e.gallery();
        e.w->treeView().expand(e.w->treeModel().indexOf(g));
        e.w->selectNode(g);
        e.tree().MoveDown();
        QCOMPARE(commandtest::childTexts(e.root()), QStringList({h->Text(), g->Text()}));
        QCOMPARE(g->ChildCount(), 3);
        QVERIFY(e.w->treeView().isExpanded(e.w->treeModel().indexOf(g)));
    }

    // What the tree shows is what reopens: a gallery's sub-galleries stay above its photos.
    void moveAndAddKeepTheOrderThroughSaveAndReopen() {
        Editor e;
        TpaTreeNode* g = e.gallery();
        e.gallery(g);
        const QList<TpaTreeNode*> p = e.photosIn(g, 2);
        e.w->selectNode(p[0]);
        QVERIFY(!apptest::action(*e.w, "acEditMoveUp")->isEnabled());
        e.tree().MoveUp();
        e.tree().MoveUp();
        e.w->selectNode(g->Child(0));
        QVERIFY(!apptest::action(*e.w, "acEditMoveDown")->isEnabled());
        e.tree().MoveDown();
        e.gallery(g); // added while the gallery holds photos
        QCOMPARE(commandtest::childTexts(g),
                 QStringList({"Event 2", "Event 3", "p0.jpg", "p1.jpg"}));
        e.w->selectNode(p[1]);
        e.tree().MoveUp();
        QStringList shown;
        for (TpaTreeNode* n = e.root(); n; n = n->NextInPreOrder())
            shown << QString::number(n->Depth()) + ':' + n->Text();

        const QString file = e.env.dir.path() + "/order.zip";
        e.env.prompts.answerText(file.toStdString());
        FileCommands& files = e.env.commands->real.file();
        QVERIFY(files.SaveAlbumAs());
        QVERIFY(files.CloseAlbum());
        QVERIFY(files.OpenAlbum(file));
        QStringList reopened;
        for (TpaTreeNode* n = e.root(); n; n = n->NextInPreOrder())
            reopened << QString::number(n->Depth()) + ':' + n->Text();
        QCOMPARE(reopened, shown);
        QCOMPARE(commandtest::childTexts(e.root()->Child(0)),
                 QStringList({"Event 2", "Event 3", "p1.jpg", "p0.jpg"}));
    }

    void dropRules_data() {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("afterA"); // the children of gallery A after the drop
        // A holds gallery S (a sub-gallery) and a0, a1, a2; B holds b0; Full is full.
        QTest::newRow("onto itself") << "a0"
                                     << "a0" << false << QStringList();
        QTest::newRow("a gallery dragged") << "S"
                                           << "B" << false << QStringList();
        QTest::newRow("last photo onto its gallery") << "a2"
                                                     << "A" << false << QStringList();
        QTest::newRow("photo onto its gallery goes last")
            << "a0"
            << "A" << true << QStringList({"S", "a1", "a2", "a0"});
        QTest::newRow("before a photo of its gallery")
            << "a2"
            << "a0" << true << QStringList({"S", "a2", "a0", "a1"});
        QTest::newRow("down before a photo of its gallery")
            << "a0"
            << "a2" << true << QStringList({"S", "a1", "a0", "a2"});
        QTest::newRow("onto another gallery") << "a1"
                                              << "B" << true << QStringList({"S", "a0", "a2"});
        QTest::newRow("onto a photo of another gallery")
            << "a1"
            << "b0" << true << QStringList({"S", "a0", "a2"});
        QTest::newRow("onto a full gallery") << "a1"
                                             << "Full" << false << QStringList();
        QTest::newRow("onto a photo of a full gallery") << "a1"
                                                        << "f0" << false << QStringList();
        QTest::newRow("onto a sub-gallery") << "a0"
                                            << "S" << true << QStringList({"S", "a1", "a2"});
    }

    // The model takes only the drops the rules allow; an accepted drop moves the photo once
    // the drop has returned.
    void dropRules() {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(bool, accepted);
        QFETCH(QStringList, afterA);
        Editor e(50, 2);
        QMap<QString, TpaTreeNode*> node;
        node["A"] = e.gallery();
        node["B"] = e.gallery();
        node["Full"] = e.gallery();
        auto name = [&](TpaTreeNode* n, const QString& text) {
            n->Item()->CaptionField()->Value = text;
            node[text] = n;
        };
        // Room for two photos each; S, added after two photos, still goes before them.
        QList<TpaTreeNode*> a = e.photosIn(node["A"], 2, "a");
        name(a[0], "a0");
        name(a[1], "a1");
        name(e.gallery(node["A"]), "S");
        e.w->album().Settings.Levels.FindLevel(1)->MaxPhotos = 3;
        name(e.photosIn(node["A"], 1, "c").first(), "a2");
        e.w->album().Settings.Levels.FindLevel(1)->MaxPhotos = 2;
        name(e.photosIn(node["B"], 1, "b").first(), "b0");
        QList<TpaTreeNode*> f = e.photosIn(node["Full"], 2, "f");
        name(f[0], "f0");
        QVERIFY(node["A"]->ChildCount() == 4);

        TpaTreeNode* d = node[dragged];
        TpaTreeNode* t = node[target];
        QCOMPARE(canDropPhoto(e.w->album(), d, t), accepted);
        AlbumTreeModel& model = e.w->treeModel();
        std::unique_ptr<QMimeData> data(d->IsPhoto() ? model.mimeData({model.indexOf(d)})
                                                     : new QMimeData);
        const QModelIndex onto = model.indexOf(t);
        QCOMPARE(model.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, onto), accepted);
        // A sub-gallery is one level deeper: the question is answered Yes.
        e.env.prompts.answerButton(PromptButton::Yes);
        QCOMPARE(model.dropMimeData(data.get(), Qt::MoveAction, -1, -1, onto), accepted);
        QCoreApplication::processEvents();
        if (accepted) {
            QStringList texts;
            for (const QString& text : commandtest::childTexts(node["A"]))
                texts << text;
            QCOMPARE(texts, afterA);
            QVERIFY(commandtest::everyPhotoHasItsFile(e.root()));
        }
    }

    void deleteAndInsertKeysActOnTheTreeOnlyWhileItHasTheFocus() {
        Editor e;
        QAction* del = apptest::action(*e.w, "acEditDelete");
        QAction* ins = apptest::action(*e.w, "acEditAddPhoto");
        QAction* scan = apptest::action(*e.w, "acEditScanMyPictures");
        e.w->activateWindow();
        QLineEdit edit(e.w.get());
        edit.show();
        edit.setFocus();
        QCoreApplication::processEvents();
        e.tree(); // the shortcuts follow focus changes from here on
        QCOMPARE(QApplication::focusWidget(), &edit);
        QVERIFY(del->shortcut().isEmpty());
        QVERIFY(ins->shortcut().isEmpty());
        QCOMPARE(scan->shortcut(), QKeySequence("Ctrl+Shift+Ins"));
        e.w->treeView().setFocus();
        QCoreApplication::processEvents();
        QCOMPARE(del->shortcut(), QKeySequence(QKeySequence::Delete));
        QCOMPARE(ins->shortcut(), QKeySequence("Ins"));
        QCOMPARE(apptest::action(*e.w, "acEditImport")->shortcut(), QKeySequence("Shift+Ins"));
    }
};

QTEST_MAIN(TreeCommandsTest)
#include "tst_TreeCommands.moc"
