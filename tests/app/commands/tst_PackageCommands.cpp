#include "tests/app/AppTestSupport.h"
#include "tests/model/templates/PackageTestSupport.h"

#include "model/document/Album.h"

#include <QDateTime>
#include <QTest>

using namespace app;
using platform::PromptButton;
using platform::PromptKind;
using platform::ScriptedPrompts;

Q_DECLARE_METATYPE(platform::PromptButton)

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const std::string kTwo = packagetest::PackageXml("p1", "Pack One", {{"t1", "One"}, {"t2", "Two"}});

// The messages shown since `from`, as "kind:text".
QStringList messagesSince(const ScriptedPrompts& prompts, size_t from) {
    QStringList out;
    const auto& calls = prompts.calls();
    for (size_t i = from; i < calls.size(); ++i) {
        if (calls[i].type != ScriptedPrompts::CallType::Message)
            continue;
        const char* kind = calls[i].kind == PromptKind::Information    ? "info"
                           : calls[i].kind == PromptKind::Confirmation ? "ask"
                           : calls[i].kind == PromptKind::Error        ? "error"
                                                                       : "warning";
        out << QString::fromLatin1(kind) + u':' + QString::fromStdString(calls[i].text);
    }
    return out;
}

} // namespace

class PackageCommandsTest : public QObject {
    Q_OBJECT

private:
    QString templates() const { return model::Folders().TemplatesFolder; }

    // Runs Install New Album, choosing `package` in the file dialog (empty: Cancel).
    QStringList install(apptest::TestEnvironment& env, TfrmMain& w, const QString& package,
                        const std::vector<PromptButton>& answers = {}) {
        const size_t from = env.prompts.calls().size();
        env.prompts.answerText(package.isEmpty() ? std::nullopt
                                                 : std::optional(package.toStdString()));
        for (PromptButton b : answers)
            env.prompts.answerButton(b);
        apptest::action(w, "acFileInstallNewAlbum")->trigger();
        QCoreApplication::processEvents();
        QTest::qVerify(env.prompts.pendingAnswers() == 0, "no answer left", "", __FILE__, __LINE__);
        return messagesSince(env.prompts, from);
    }

private slots:
    void installsAndReinstalls() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        const QString package = env.dir.path() + "/pkg.zip";
        packagetest::WritePackage(package, kTwo, {"t1", "t2"});
        const QString installedFile = env.program + "installed.xml";

        QCOMPARE(install(env, *w, package),
                 QStringList{"info:\"Pack One\" is installed successfully."});
        QCOMPARE(env.prompts.calls().front().filter, std::string("ZIP Files (*.zip)|*.zip"));
        QVERIFY(QFileInfo::exists(templates() + "t1/album.xml"));
        QVERIFY(QFileInfo::exists(templates() + "t2/album.xml"));
        // The shipped template was there before and stays.
        QVERIFY(QFileInfo::exists(templates() + "fz-simple/album.xml"));
        const QByteArray recorded = readAll(installedFile);
        QVERIFY(recorded.contains("<package id=\"p1\" name=\"Pack One\"/>"));
        QVERIFY(recorded.contains("<template id=\"t2\" name=\"Two\" description=\"About Two\" "
                                  "package=\"p1\"/>"));

        // Again, keeping both: asked twice, nothing replaced, the record still rewritten.
        QFile touched(installedFile);
        touched.open(QIODevice::ReadWrite);
        touched.setFileTime(QDateTime::currentDateTime().addDays(-1),
                            QFileDevice::FileModificationTime);
        touched.close();
        packagetest::WritePackage(package, kTwo, {"t1", "t2"}, {}, "2");
        QCOMPARE(install(env, *w, package, {PromptButton::No, PromptButton::No}),
                 (QStringList{"ask:Template \"One\" already exists. Overwrite ?",
                              "ask:Template \"Two\" already exists. Overwrite ?"}));
        QCOMPARE(readAll(templates() + "t1/index.swf"), QByteArray("player t1 v1"));
        QVERIFY(QFileInfo(installedFile).lastModified() >
                QDateTime::currentDateTime().addSecs(-600));
        QCOMPARE(readAll(installedFile), recorded);
        QVERIFY(w->isEnabled());
    }

    void refusesBadPackages_data() {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QStringList>("without"); // members left out of the folders
        QTest::addColumn<QString>("expected");    // %1: the package path
        const auto one = [](const std::string& id, const std::string& name) {
            return QString::fromStdString(packagetest::PackageXml("p", "P", {{id, name}}));
        };
        QTest::newRow("no package.xml")
            << QString() << QStringList{"t1"} << QStringList()
            << "error:File \"package.xml\" not found in package \"%1\".";
        QTest::newRow("package.xml beyond any description")
            << QString::fromStdString(packagetest::PackageXml("p", "P", {{"t1", "One"}}) +
                                      std::string(16 << 20, ' '))
            << QStringList{"t1"} << QStringList()
            << "error:The file \"package.xml\" in package \"%1\" is larger than any package "
               "description (16 MB at most).";
        QTest::newRow("id climbing out")
            << one("../x", "Up") << QStringList{"x"} << QStringList()
            << "error:Template \"Up\" cannot be installed: \"../x\" cannot name a template "
               "folder.";
        QTest::newRow("id of a hidden folder, as the staging folders are")
            << one(".staging-t", "Hidden") << QStringList{".staging-t"} << QStringList()
            << "error:Template \"Hidden\" cannot be installed: \".staging-t\" cannot name a "
               "template folder.";
        QTest::newRow("no data.xml")
            << one("t1", "One") << QStringList{"t1"} << QStringList{"t1/data.xml"}
            << "error:Template \"One\" cannot be installed: its folder in the package has no "
               "\"data.xml\".";
        QTest::newRow("neither album.xml nor data.xml")
            << one("t1", "One") << QStringList{"t1"} << QStringList{"t1/data.xml", "t1/album.xml"}
            << "error:Template \"One\" cannot be installed: its folder in the package has no "
               "\"album.xml\" and no \"data.xml\".";
    }

    void refusesBadPackages() {
        QFETCH(QString, xml);
        QFETCH(QStringList, folders);
        QFETCH(QStringList, without);
        QFETCH(QString, expected);
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        const QString package = env.dir.path() + "/pkg.zip";
        std::vector<ziptest::Member> members;
        if (!xml.isEmpty())
            members.push_back({"package.xml", ziptest::Bytes(xml.toStdString())});
        for (const QString& f : folders)
            for (ziptest::Member& m : packagetest::TemplateMembers(f.toStdString()))
                if (!without.contains(QString::fromStdString(m.Name)))
                    members.push_back(std::move(m));
        packagetest::WriteArchive(package, members);
        const QStringList before = packagetest::TreeOf(env.program);
        QCOMPARE(install(env, *w, package), QStringList{expected.arg(package)});
        QStringList after = packagetest::TreeOf(env.program);
        after.removeAll("installed.xml");
        QCOMPARE(after, before);
        QVERIFY(!readAll(env.program + "installed.xml").contains("<package "));
    }

    // A damaged list of installed templates blocks nothing: a new list is started on consent,
    // and the damaged one is kept beside it.
    void damagedInstalledListIsSetAsideOnConsent() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        const QString package = env.dir.path() + "/pkg.zip";
        packagetest::WritePackage(package, kTwo, {"t1", "t2"});
        const QString installedFile = env.program + "installed.xml";
        const QString kept = env.program + "installed-damaged.xml";
        const QByteArray damaged = "<installed><packages>";
        apptest::writeText(installedFile, damaged);
        const QString question =
            QString("ask:The list of installed templates \"%1\" cannot be read: ")
                .arg(installedFile);

        QStringList shown = install(env, *w, package, {PromptButton::No});
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown[0].startsWith(question) && shown[0].endsWith(QString("Start a new list? "
                                                                            "The damaged file is "
                                                                            "kept as \"%1\".")
                                                                        .arg(kept)),
                 qPrintable(shown[0]));
        QCOMPARE(readAll(installedFile), damaged);
        QVERIFY(!QFileInfo::exists(templates() + "t1"));

        shown = install(env, *w, package, {PromptButton::Yes});
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown[1], QString("info:\"Pack One\" is installed successfully."));
        QCOMPARE(readAll(kept), damaged);
        QVERIFY(readAll(installedFile).contains("<template id=\"t2\" name=\"Two\""));
        QVERIFY(QFileInfo::exists(templates() + "t1/album.xml"));
    }

    void missingFileAndCancelledDialog() {
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        const QString missing = env.dir.path() + "/none.zip";
        QCOMPARE(install(env, *w, missing),
                 QStringList{QString("error:File \"%1\" does not exist.").arg(missing)});
        QCOMPARE(install(env, *w, QString()), QStringList());
        QVERIFY(!QFileInfo::exists(env.program + "installed.xml"));
    }

    void updateProjectFile_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<bool>("withPlayer"); // the installed template has index.swf
        QTest::addColumn<bool>("blocked");    // the project's index.swf cannot be replaced
        QTest::addColumn<PromptButton>("answer");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("modified");
        QTest::newRow("not installed")
            << "zz" << true << false << PromptButton::None
            << QStringList{"info:Flash album zz is not installed with your Brimlo Pellicor"}
            << false;
        QTest::newRow("bad id") << "../t1" << true << false << PromptButton::None
                                << QStringList{"info:Flash album ../t1 is not installed with "
                                               "your Brimlo Pellicor"}
                                << false;
        const QString confirm = "ask:Album files in your project will be replaced with the ones "
                                "which comes with the software installation.\r\nAre you sure?";
        QTest::newRow("cancelled")
            << "t1" << true << false << PromptButton::Cancel << QStringList{confirm} << false;
        // Every player file of the template, the ones the project lacks too; not its data.
        QTest::newRow("done, id in another case")
            << "T1" << true << false << PromptButton::Ok
            << QStringList{confirm, "info:Update Complete!\n\nalbum.xml, index.swf, player.js, "
                                    "skin/player.css"}
            << true;
        QTest::newRow("a template without flash player")
            << "t1" << false << false << PromptButton::Ok
            << QStringList{confirm,
                           "info:Update Complete!\n\nalbum.xml, player.js, skin/player.css"}
            << true;
        QTest::newRow("copy failed")
            << "t1" << true << true << PromptButton::Ok
            << QStringList{confirm, "error:Cannot copy \"%1index.swf\" into the project."} << true;
    }

    void updateProjectFile() {
        QFETCH(QString, id);
        QFETCH(bool, withPlayer);
        QFETCH(bool, blocked);
        QFETCH(PromptButton, answer);
        QFETCH(QStringList, expected);
        QFETCH(bool, modified);
        apptest::TestEnvironment env;
        auto w = env.makeMainWindow();
        env.loadSampleAlbum(*w);
        w->album().Settings.Id = id;
        w->UpdateActions();
        const QString source = templates() + "t1/";
        apptest::writeText(source + "album.xml", "new album.xml");
        if (withPlayer)
            apptest::writeText(source + "index.swf", "new player");
        apptest::writeText(source + "player.js", "new script player");
        apptest::writeText(source + "skin/player.css", "new look");
        apptest::writeText(source + "data.xml", "<photogallery/>");
        apptest::writeText(source + "pictavo_images/sample.jpg", "not the album's");
        const QString preview = model::Folders().PreviewFolder;
        QFile::remove(preview + "player.js"); // an album made before the script player
        if (blocked) {
            QFile::remove(preview + "index.swf");
            QDir().mkpath(preview + "index.swf");
        }
        const QByteArray oldPlayer = readAll(preview + "index.swf");
        const QByteArray oldData = readAll(preview + "data.xml");

        const size_t from = env.prompts.calls().size();
        if (answer != PromptButton::None)
            env.prompts.answerButton(answer);
        apptest::action(*w, "acFileUpdateProjectFile")->trigger();
        QCoreApplication::processEvents();
        if (!expected.isEmpty() && expected.last().contains("%1"))
            expected.last() = expected.last().arg(QDir::toNativeSeparators(preview));
        QCOMPARE(messagesSince(env.prompts, from), expected);
        QCOMPARE(w->album().Modified(), modified);
        QCOMPARE(apptest::action(*w, "acFileSave")->isEnabled(), modified);
        const bool copied = modified;
        QCOMPARE(readAll(preview + "album.xml") == "new album.xml", copied);
        QCOMPARE(readAll(preview + "index.swf"),
                 copied && withPlayer && !blocked ? QByteArray("new player") : oldPlayer);
        QCOMPARE(readAll(preview + "player.js") == "new script player", copied);
        QCOMPARE(readAll(preview + "skin/player.css") == "new look", copied);
        QCOMPARE(readAll(preview + "data.xml"), oldData);
        QVERIFY(!QFileInfo::exists(preview + "pictavo_images/sample.jpg"));
    }
};

QTEST_MAIN(PackageCommandsTest)
#include "tst_PackageCommands.moc"
