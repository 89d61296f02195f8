#include "tests/app/AppTestSupport.h"

#include "app/commands/FileCommands.h"
#include "app/dialogs/frmImportTemplate.h"
#include "app/dialogs/frmStartupWizard.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>

using platform::PromptButton;
using platform::PromptKind;
using Call = platform::ScriptedPrompts::CallType;

namespace {

// A library of template folders with "album.xml"; thumbs maps a name to its thumb's colour.
QString makeLibrary(const QString& root, const QStringList& names,
                    const QMap<QString, QColor>& thumbs = {}) {
    const QString lib = root + QStringLiteral("/lib/");
    QDir().mkpath(lib);
    for (const QString& name : names) {
        apptest::writeText(lib + name + "/album.xml", "<album/>");
        if (thumbs.contains(name)) {
            QImage image(100, 50, QImage::Format_RGB32);
            image.fill(thumbs[name]);
            image.save(lib + name + "/thumb.jpg", "JPEG", 100);
        }
    }
    return lib;
}

// The dialogs' widgets, found by their object names.
QPushButton* button(QObject& dialog, const char* name) {
    return apptest::child<QPushButton>(dialog, name);
}
QLabel* label(QObject& dialog, const char* name) {
    return apptest::child<QLabel>(dialog, name);
}
QListWidget* thumbnails(QObject& chooser) {
    return apptest::child<QListWidget>(chooser, "lvThumbnails");
}
QComboBox* recentList(QObject& wizard) {
    return apptest::child<QComboBox>(wizard, "cbOpenRecent");
}

QStringList visibleLabels(app::TfrmImportTemplate& d) {
    QStringList list;
    for (int k = 1; k <= app::TfrmImportTemplate::PagerSize; ++k)
        if (QLabel* l = label(d, qPrintable(QStringLiteral("lb%1").arg(k))); l->isVisible())
            list << l->text();
    return list;
}

QStringList pageNames(QListWidget* view) {
    QStringList names;
    for (int i = 0; i < view->count(); ++i)
        names << view->item(i)->text();
    return names;
}

// Runs answer once the modal window shows.
void whenShown(QWidget* window, std::function<void()> answer) {
    auto* timer = new QTimer(window);
    QObject::connect(timer, &QTimer::timeout, window, [timer, window, answer] {
        if (!window->isVisible())
            return;
        timer->deleteLater();
        timer->stop();
        answer();
    });
    timer->start(0);
}

void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2));
}

const QString kRecent = "\\Software\\Brimlo Lumivex\\Recent";

// A dialog border: the window manager can neither resize nor maximise it.
bool hasDialogBorder(QWidget& w) {
    return w.minimumSize() == w.maximumSize() && !(w.windowFlags() & Qt::WindowMaximizeButtonHint);
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) < 12 && std::abs(qGreen(a) - qGreen(b)) < 12 &&
           std::abs(qBlue(a) - qBlue(b)) < 12;
}

} // namespace

class StartupDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void chooserListsTemplatesInNameOrderFourToAPage() {
        apptest::TestEnvironment env;
        const QString lib =
            makeLibrary(env.dir.path(), {"b", "A", "c", "D", "e", "x=y", "G", "h", "I"});
        QDir().mkpath(lib + ".hidden");
        apptest::writeText(lib + ".hidden/album.xml", "<album/>");
        QDir().mkpath(lib + "no-album");
        QFile::link(env.dir.path() + "/lib/c", lib + "linked");
        app::TfrmImportTemplate d;
        d.Prepare(lib);
        QCOMPARE(d.TemplateList.size(), 10);
        QCOMPARE(d.TemplateList[7].name, QString("I"));
        QCOMPARE(d.TemplateList[8].name, QString("linked"));
        QCOMPARE(d.TemplateList.back().name, QString("x=y"));
        QCOMPARE(d.TemplateList.back().path, lib + "x=y/");
        d.show();
        QCOMPARE(d.PageCount, 3);
        QCOMPARE(visibleLabels(d), (QStringList{"1", "2", "3"}));
        QLabel* current = label(d, "lb1");
        QCOMPARE(current->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!current->font().underline());
        QVERIFY(label(d, "lb2")->font().underline());
        QCOMPARE(pageNames(thumbnails(d)), (QStringList{"A", "b", "c", "D"}));
        QVERIFY(!button(d, "btOk")->isEnabled());
        thumbnails(d)->item(1)->setSelected(true);
        QVERIFY(button(d, "btOk")->isEnabled());
        QCOMPARE(d.SelectedTemplate->name, QString("b"));
        click(label(d, "lbNext"));
        QCOMPARE(d.CurrentPage, 1);
        QVERIFY(!button(d, "btOk")->isEnabled());
        QVERIFY(!d.SelectedTemplate);
    }

    void pagerMovesItsGroupOnlyWithTheArrows() {
        apptest::TestEnvironment env;
        QStringList names;
        for (int i = 0; i < 17; ++i)
            names << QStringLiteral("t%1").arg(i, 2, 10, QChar('0'));
        app::TfrmImportTemplate d;
        d.Prepare(makeLibrary(env.dir.path(), names));
        d.show();
        QCOMPARE(d.PageCount, 5);
        click(label(d, "lb4"));
        QCOMPARE(d.CurrentPage, 3);
        QCOMPARE(visibleLabels(d), (QStringList{"1", "2", "3", "4"}));
        click(label(d, "lbNext"));
        QCOMPARE(visibleLabels(d), QStringList{"5"});
        QCOMPARE(
            pageNames(qobject_cast<QListWidget*>(d.findChild<QStackedWidget*>()->currentWidget())),
            QStringList{"t16"});
        QVERIFY(!label(d, "lbNext")->isEnabled());
        click(label(d, "lbPrev"));
        QCOMPARE(visibleLabels(d), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(d.CurrentPage, 3);
        // Reopened after the library shrank: the last page viewed is gone, page 1 shows.
        click(label(d, "lbNext"));
        d.hide();
        d.Prepare(makeLibrary(env.dir.path() + "/small", {"one"}));
        d.show();
        QCOMPARE(d.CurrentPage, 0);
        QCOMPARE(visibleLabels(d), QStringList{"1"});
        // An empty library: one empty page.
        d.hide();
        d.Prepare(env.dir.path() + "/empty");
        d.show();
        QCOMPARE(d.PageCount, 1);
        QCOMPARE(visibleLabels(d), QStringList{"1"});
        QVERIFY(!button(d, "btOk")->isEnabled());
    }

    // A long template id is elided under its thumbnail: the page's four items stay in sight.
    void longCaptionsKeepFourThumbnailsInSight() {
        apptest::TestEnvironment env;
        app::TfrmImportTemplate d;
        d.Prepare(makeLibrary(env.dir.path(), {"a", "b", "c", QString(100, QChar('w'))}));
        d.show();
        QVERIFY(hasDialogBorder(d) && (d.windowFlags() & Qt::WindowMinimizeButtonHint));
        auto* list = d.findChild<QListWidget*>("lvThumbnails");
        QRegion seen;
        for (int i = 0; i < list->count(); ++i) {
            const QRect item = list->visualItemRect(list->item(i));
            QVERIFY(list->viewport()->rect().contains(item) && !seen.intersects(item));
            seen += item;
        }
    }

    void thumbnailsAreEnlargedFramedAndShadowed() {
        apptest::TestEnvironment env;
        const QColor red(200, 30, 30);
        app::TfrmImportTemplate d;
        d.Prepare(makeLibrary(env.dir.path(), {"own", "plain"}, {{"own", red}}));
        QCOMPARE(d.ilThumbnails.size(), 3);
        const QImage own = d.ilThumbnails[1];
        QCOMPARE(own.size(), QSize(200, 200));
        // 100 x 50 fitted into 180 x 180 with enlargement: 180 x 90 at (9, 54).
        QVERIFY(near(own.pixel(100, 100), red.rgb()));
        QVERIFY(near(own.pixel(9, 54), red.rgb()));
        QCOMPARE(own.pixel(9 + 180 + 3, 54 + 45) & 0xffffff, 0x606060u);
        QCOMPARE(own.pixel(9 + 90, 54 + 90 + 3) & 0xffffff, 0x606060u);
        const QImage plain = d.ilThumbnails[2]; // NoImage, unframed
        QVERIFY((plain.pixel(9 + 180 + 3, 54 + 45) & 0xffffff) != 0x606060u);
        QVERIFY(near(plain.pixel(100, 100), QColor(200, 200, 200).rgb()));
        // A picture that cannot be read keeps the placeholder.
        apptest::writeText(env.dir.path() + "/lib/own/thumb.jpg", "garbage");
        d.Prepare(env.dir.path() + "/lib/");
        QCOMPARE(d.ilThumbnails[1], d.ilThumbnails[0]);
    }

    void doubleClickOnEmptySpaceKeepsTheChooserOpen() {
        apptest::TestEnvironment env;
        app::TfrmImportTemplate d;
        d.Prepare(makeLibrary(env.dir.path(), {"a"}));
        d.resize(600, 500);
        d.show();
        QTest::mouseDClick(thumbnails(d)->viewport(), Qt::LeftButton, {}, QPoint(550, 300));
        QVERIFY(d.isVisible());
        QVERIFY(!button(d, "btOk")->isEnabled());
        const QRect first = thumbnails(d)->visualItemRect(thumbnails(d)->item(0));
        QTest::mouseClick(thumbnails(d)->viewport(), Qt::LeftButton, {}, first.center());
        QTest::mouseDClick(thumbnails(d)->viewport(), Qt::LeftButton, {}, first.center());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.SelectedTemplate->name, QString("a"));
    }

    void wizardRecentAlbums() {
        apptest::TestEnvironment env;
        app::TfrmStartupWizard w;
        w.FillRecent({});
        w.show();
        QVERIFY(!recentList(w)->isEnabled() && !button(w, "btOpen")->isEnabled() &&
                !label(w, "lbOpenExistingRecent")->isEnabled());
        QCOMPARE(w.focusWidget(), button(w, "btCreate"));
        w.hide();
        QStringList files;
        for (const char* n : {"1.zip", "2.zip", "3.zip"}) {
            files << env.dir.path() + "/" + n;
            apptest::writeText(files.back(), "x");
        }
        w.FillRecent(files);
        recentList(w)->setCurrentIndex(2);
        w.show();
        QCOMPARE(recentList(w)->currentIndex(), 0);
        QCOMPARE(recentList(w)->toolTip(), files[0]);
        recentList(w)->setCurrentIndex(2);
        QCOMPARE(recentList(w)->toolTip(), files[2]);
        click(button(w, "btOpen"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.Action, int(app::TfrmStartupWizard::RecentAction));
        QCOMPARE(w.RecentFile, files[2]);
    }

    // The stored list's duplicates and relative entries never reach the wizard.
    void wizardListsEachRecentAlbumOnce() {
        apptest::TestEnvironment env;
        const QString a = env.dir.path() + "/a.zip", b = env.dir.path() + "/b.zip";
        const QStringList stored = {a, "a.zip", b, a, env.dir.path() + "//b.zip"};
        for (int i = 0; i < stored.size(); ++i)
            env.store->writeString(kRecent, QString("Item%1").arg(i), stored[i]);
        auto w = env.makeMainWindow();
        QStringList shown;
        bool border = false;
        app::TfrmStartupWizard& wizard = env.commands->real.file().wizard();
        whenShown(&wizard, [&] {
            auto* recent = wizard.findChild<QComboBox*>("cbOpenRecent");
            for (int i = 0; i < recent->count(); ++i)
                shown << recent->itemText(i);
            border = hasDialogBorder(wizard) && wizard.width() >= 460;
            wizard.reject();
        });
        env.commands->real.ShowStartupWizard();
        QCOMPARE(shown, (QStringList{a, b}));
        QVERIFY(border);
    }

    void wizardMissingFiles_data() {
        QTest::addColumn<bool>("recent");
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<QString>("browsed"); // "" cancelled, "missing", "exists"
        QTest::addColumn<int>("action");
        QTest::newRow("recent, no") << true << PromptButton::No << "" << 0;
        QTest::newRow("recent, yes, cancel") << true << PromptButton::Yes << "" << 0;
        QTest::newRow("recent, yes, exists") << true << PromptButton::Yes << "exists" << 2;
        QTest::newRow("browse missing") << false << PromptButton::Ok << "missing" << 0;
        QTest::newRow("browse exists") << false << PromptButton::Ok << "exists" << 2;
    }
    void wizardMissingFiles() {
        QFETCH(bool, recent);
        QFETCH(PromptButton, answer);
        QFETCH(QString, browsed);
        QFETCH(int, action);
        apptest::TestEnvironment env;
        const QString gone = env.dir.path() + "/gone.zip";
        const QString there = env.dir.path() + "/there.zip";
        apptest::writeText(there, "x");
        app::TfrmStartupWizard w;
        int browses = 0;
        w.BrowseFile = [&]() -> std::optional<QString> {
            ++browses;
            if (browsed.isEmpty())
                return std::nullopt;
            return browsed == "exists" ? there : gone;
        };
        w.FillRecent({gone});
        w.show();
        if (recent || browsed == "missing")
            env.prompts.answerButton(answer);
        if (recent && browsed == "missing")
            env.prompts.answerButton(PromptButton::Ok);
        click(recent ? button(w, "btOpen") : button(w, "btBrowse"));
        QCOMPARE(w.Action, action);
        QCOMPARE(w.isVisible(), action == 0);
        QCOMPARE(browses, recent ? int(answer == PromptButton::Yes) : 1);
        if (recent) {
            const auto& call = env.prompts.calls().front();
            QCOMPARE(call.kind, PromptKind::Warning);
            QVERIFY(QString::fromStdString(call.text).contains(gone));
        }
        if (!recent && action == 0) {
            QCOMPARE(env.prompts.calls().back().kind, PromptKind::Error);
            QVERIFY(QString::fromStdString(env.prompts.calls().back().text).contains(gone));
        }
        if (action == 2)
            QCOMPARE(w.BrowsedFile, there);
    }

    void wizardEscapeAndCreate() {
        apptest::TestEnvironment env;
        app::TfrmImportTemplate chooser;
        app::TfrmStartupWizard w;
        w.Chooser = &chooser;
        w.TemplatesFolder = makeLibrary(env.dir.path(), {"a", "b", "c"});
        w.show();
        QTest::keyClick(&w, Qt::Key_Escape);
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(w.Action, 0);
        w.show();
        // The chooser is modal: it is answered once it shows.
        whenShown(&chooser, [&] {
            thumbnails(chooser)->item(1)->setSelected(true);
            click(button(chooser, "btOk"));
        });
        click(button(w, "btCreate"));
        QCOMPARE(w.Action, int(app::TfrmStartupWizard::CreateAction));
        QCOMPARE(w.Template->name, QString("b"));
        QCOMPARE(w.Template->path, w.TemplatesFolder + "b/");
        QVERIFY(w.isEnabled());
        QVERIFY(!QApplication::overrideCursor());
    }
};

QTEST_MAIN(StartupDialogsTest)
#include "tst_StartupDialogs.moc"
