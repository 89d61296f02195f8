#include "tests/app/AppTestSupport.h"

#include "app/ProductInfo.h"
#include "app/commands/MessageBoxes.h"
#include "app/dialogs/frmAbout.h"
#include "app/frames/ModelFrames.h"
#include "app/frames/TfrmLinkField.h"
#include "app/frames/TfrmMusicField.h"
#include "app/frames/TfrmPublishSizeField.h"
#include "model/tree/TreeNode.h"

#include "publish/PublishTexts.h"
#include "publish/embed/frmEmbedWizard.h"
#include "publish/frmPublishing.h"
#include "publish/ftp/TfrmFtpSetting.h"

#include <QAbstractButton>
#include <QDirIterator>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QToolButton>

using namespace app;

namespace {

struct NumberedText {
    TextKind kind;
    int number;
    QString english; // empty when the code passes no literal
    QString where;
};

// The C string literals that follow `from` up to the closing parenthesis, joined.
QString literalAt(const QString& source, qsizetype from, qsizetype* end) {
    QString text;
    qsizetype i = from;
    while (i < source.size() && source[i] != u')') {
        if (source[i] != u'"') {
            ++i;
            continue;
        }
        for (++i; i < source.size() && source[i] != u'"'; ++i) {
            if (source[i] == u'\\' && i + 1 < source.size()) {
                const QChar c = source[++i];
                text += c == u'n' ? QChar(u'\n') : c;
            } else {
                text += source[i];
            }
        }
        ++i;
    }
    *end = i + 1;
    return text;
}

// Every text the editor and the publishing dialogs look up by number, read from their sources:
// the lookup calls with their number and, where it stands there, the English text.
QList<NumberedText> numberedTextsOfTheCode() {
    static const QRegularExpression call(
        QStringLiteral(R"(\b(message|countMessage|GetMessage|GetString|GetFilter|GetPath|strings|)"
                       R"(filter|string|Get|Format)\(\s*(?:TextKind::(\w+)\s*,\s*)?(\d+)\s*,\s*)"));
    static const QRegularExpression next(QStringLiteral(R"(\G\s*,\s*(\d+)\s*,\s*)"));
    const QHash<QString, TextKind> kinds = {
        {"Messages", TextKind::Messages}, {"Filters", TextKind::Filters},
        {"Paths", TextKind::Paths},       {"Strings", TextKind::Strings},
        {"GetString", TextKind::Strings}, {"strings", TextKind::Strings},
        {"string", TextKind::Strings},    {"GetFilter", TextKind::Filters},
        {"filter", TextKind::Filters},    {"GetPath", TextKind::Paths}};
    QList<NumberedText> found;
    for (const char* folder : {"/app", "/publish"}) {
        QDirIterator it(QStringLiteral(FZ_SOURCE_DIR) + folder, {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly))
                qFatal("Cannot read %s", qPrintable(file.fileName()));
            const QString source = QString::fromUtf8(file.readAll());
            for (auto m = call.globalMatch(source); m.hasNext();) {
                const QRegularExpressionMatch hit = m.next();
                const QString kindName =
                    hit.captured(2).isEmpty() ? hit.captured(1) : hit.captured(2);
                const TextKind kind = kinds.value(kindName, TextKind::Messages);
                qsizetype at = hit.capturedEnd();
                // A count's two forms stand one after the other.
                for (QString number = hit.captured(3); !number.isEmpty();) {
                    QString english;
                    if (source.mid(at, 15) == u"QStringLiteral(")
                        english = literalAt(source, at + 15, &at);
                    found.append(
                        {kind, number.toInt(), english, QFileInfo(file.fileName()).fileName()});
                    const QRegularExpressionMatch more = next.match(source, at);
                    number = more.hasMatch() && more.capturedStart() == at ? more.captured(1)
                                                                           : QString();
                    at = more.capturedEnd();
                }
            }
        }
    }
    return found;
}

// Arguments of the right types for an English format.
QList<FormatArg> argumentsFor(const QString& english) {
    QList<FormatArg> args;
    static const QRegularExpression conversion("%(s|d)");
    for (auto it = conversion.globalMatch(english); it.hasNext();)
        args << (it.next().captured(1) == "s" ? FormatArg(QString("x")) : FormatArg(qlonglong(3)));
    return args;
}

// Every form of the program, made as at start-up, under the names the forms give themselves.
struct AllForms {
    apptest::TestEnvironment env;
    std::unique_ptr<TfrmMain> main = env.makeMainWindow();
    ModelFrames models{env.forms};

    AllForms() {
        auto* wizard = new publish::TfrmEmbedWizard(main.get());
        for (QWidget* form :
             QList<QWidget*>{wizard, new publish::TfrmPublishing(wizard, main.get()),
                             new publish::TfrmFtpSetting(main.get()), new TfrmAbout(main.get())})
            env.forms.add(form);
    }
    QList<QWidget*> forms() const {
        QList<QWidget*> out;
        for (QObject* form : env.forms.forms())
            out << qobject_cast<QWidget*>(form);
        return out;
    }
    // As the user switches: the language menu's item, which the window fills when it shows.
    void german() {
        main->show();
        QCoreApplication::processEvents();
        QMenu* languages = apptest::child<QMenu>(*main, "miViewLanguage");
        QVERIFY(languages && languages->actions().size() == 1);
        languages->actions().first()->trigger();
        QCOMPARE(Localization().Current().Id, QString("de"));
    }
};

// The objects whose window is the form: its own components, not those of its dialogs.
QList<QObject*> componentsOf(QWidget* form) {
    QList<QObject*> out{form};
    for (QObject* child : form->findChildren<QObject*>()) {
        QObject* up = child;
        while (up && !up->isWidgetType())
            up = up->parent();
        if (up && static_cast<QWidget*>(up)->window() == form)
            out << child;
    }
    return out;
}

struct Caption {
    QString key; // "Caption" or "Hint"
    QString text;
};

// The texts a user reads on a component, as a language file names them.
QList<Caption> captionsOf(QObject* object) {
    QList<Caption> out;
    if (auto* action = qobject_cast<QAction*>(object)) {
        auto* menu = qobject_cast<QMenu*>(action->parent());
        // A submenu's item shows the submenu's title; a language is named in its own tongue.
        if (!action->isSeparator() && !action->menu() &&
            !(menu && menu->objectName() == u"miViewLanguage"))
            out << Caption{"Caption", action->text()} << Caption{"Hint", action->statusTip()};
    } else if (auto* menu = qobject_cast<QMenu*>(object)) {
        out << Caption{"Caption", menu->title()};
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        out << Caption{"Caption", button->text()};
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        out << Caption{"Caption", label->text()};
    } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
        out << Caption{"Caption", group->title()};
    } else if (auto* bar = qobject_cast<QTabBar*>(object)) {
        for (int i = 0; i < bar->count(); ++i)
            out << Caption{"Caption", bar->tabText(i)};
    }
    if (auto* widget = qobject_cast<QWidget*>(object);
        widget && (widget->isWindow() || qobject_cast<QStackedWidget*>(widget->parentWidget())))
        out << Caption{"Caption", widget->windowTitle()};
    // Texts of no language: the program's name, file names and signs.
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{2}"));
    out.removeIf(
        [](const Caption& c) { return !c.text.contains(word) || c.text == ProductInfo::title(); });
    return out;
}

// The letter that Alt plus it reaches, if the text has one.
QChar mnemonicOf(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] != u'&')
            return text[i + 1].toLower();
        ++i;
    }
    return {};
}

// Whether two components can be on screen at once: not on two pages of one stack.
bool shownTogether(QObject* a, QObject* b) {
    for (QObject* up = a; up; up = up->parent()) {
        auto* stack = qobject_cast<QStackedWidget*>(up->parent());
        if (!stack)
            continue;
        for (QObject* other = b; other; other = other->parent())
            if (other->parent() == stack && other != up)
                return false;
    }
    return true;
}

// The components of a form that Alt and a letter reach, with their texts.
QList<QPair<QObject*, QString>> mnemonicsOf(QWidget* form) {
    QList<QPair<QObject*, QString>> out;
    for (QObject* object : componentsOf(form)) {
        if (auto* button = qobject_cast<QAbstractButton*>(object)) {
            auto* tool = qobject_cast<QToolButton*>(button);
            if (!tool || !tool->defaultAction())
                out.append({object, button->text()});
        } else if (auto* group = qobject_cast<QGroupBox*>(object)) {
            out.append({object, group->title()});
        } else if (auto* label = qobject_cast<QLabel*>(object); label && label->buddy()) {
            out.append({object, label->text()});
        } else if (auto* bar = qobject_cast<QMenuBar*>(object)) {
            for (QAction* item : bar->actions())
                out.append({bar, item->text()});
        }
    }
    return out;
}

} // namespace

class LanguageCoverageTest : public QObject {
    Q_OBJECT

private slots:
    void everyNumberedTextOfTheCodeHasAGermanText() {
        apptest::TestEnvironment env;
        TdsLocalization& loc = Localization();
        QVERIFY(loc.LoadLanguage(env.program + "Languages/de/Language.xml"));
        const QList<NumberedText> texts = numberedTextsOfTheCode();
        QVERIFY(texts.size() > 80);
        for (const NumberedText& t : texts) {
            const QString key = TdsLocalization::Key(t.kind, t.number);
            const QString where = key + QStringLiteral(" (") + t.where + u')';
            QVERIFY2(loc.Texts().contains(key), qPrintable(where));
            if (t.english.isEmpty())
                continue;
            QVERIFY2(
                SafeFormat::apply(loc.Get(t.kind, t.number, t.english), argumentsFor(t.english)),
                qPrintable(where));
        }
    }

    void everyCaptionOfEveryFormHasAGermanText() {
        AllForms all;
        QHash<QObject*, QList<Caption>> english;
        for (QWidget* form : all.forms())
            for (QObject* object : componentsOf(form))
                english.insert(object, captionsOf(object));
        all.german();
        int checked = 0;
        QStringList missing;
        for (QWidget* form : all.forms()) {
            for (QObject* object : componentsOf(form)) {
                const QList<Caption> before = english.value(object);
                const QList<Caption> after = captionsOf(object);
                for (qsizetype i = 0; i < before.size(); ++i) {
                    ++checked;
                    const QString key =
                        QStringLiteral("Application.%1.%2.%3")
                            .arg(form->objectName(), object->objectName(), before[i].key);
                    // Changed, or kept on purpose by a key of its own (a file name, "OK").
                    const bool translated = i < after.size() && after[i].text != before[i].text;
                    if (!translated &&
                        (object->objectName().isEmpty() || !Localization().Texts().contains(key)))
                        missing << key +
                                       QStringLiteral(" (%1): ").arg(
                                           QString::fromLatin1(object->metaObject()->className())) +
                                       before[i].text;
                }
            }
        }
        for (const QString& line : missing)
            qWarning().noquote() << line;
        QVERIFY2(missing.isEmpty(), "captions without a German text");
        QVERIFY(checked > 150);
    }

    void liveFramesShowEveryCaptionOfTheirModel() {
        AllForms all;
        all.german();
        QList<QPair<FieldFrame*, const char*>> frames = {
            {new TfrmMusicField, "frmMusicField"},
            {new TfrmLinkField, "frmLinkField"},
            {new TfrmPublishSizeField, "frmPublishSizeField"}};
        for (auto [frame, modelName] : frames) {
            std::unique_ptr<FieldFrame> owned(frame);
            QWidget* model = qobject_cast<QWidget*>(all.env.forms.find(modelName));
            QVERIFY2(model, modelName);
            dynamic_cast<LocalizedFrame*>(frame)->LocalizeFrom(model);
            for (QObject* from : componentsOf(model)) {
                if (from == model || from->objectName() == u"lbCaption")
                    continue;
                const QList<Caption> want = captionsOf(from);
                QObject* to = frame->findChild<QObject*>(from->objectName());
                for (qsizetype i = 0; to && i < want.size(); ++i)
                    QVERIFY2(captionsOf(to).value(i).text == want[i].text,
                             qPrintable(from->objectName()));
            }
        }
    }

    void noTwoComponentsShareAMnemonicInEitherLanguage() {
        AllForms all;
        all.env.loadSampleAlbum(*all.main);
        for (const char* language : {"en", "de"}) {
            if (QByteArray(language) == "de")
                all.german();
            int menus = 0;
            QStringList shared;
            // The main window once per node, with the frames it builds for that node at run time.
            QList<QPair<model::TpaTreeNode*, QWidget*>> views;
            for (auto* n = all.main->album().Tree().Root(); n; n = n->NextInPreOrder())
                views.append({n, all.main.get()});
            QVERIFY(views.size() > 1);
            for (QWidget* form : all.forms())
                if (form != all.main.get())
                    views.append({nullptr, form});
            for (const auto& [node, form] : views) {
                if (node) {
                    all.main->selectNode(node);
                    QCoreApplication::processEvents();
                }
                // The items of one menu.
                for (QMenu* menu : form->findChildren<QMenu*>()) {
                    ++menus;
                    QHash<QChar, QString> taken;
                    for (QAction* item : menu->actions()) {
                        const QChar key = mnemonicOf(item->text());
                        if (!key.isNull() && taken.contains(key))
                            shared << QStringLiteral("%1 %2: %3 / %4")
                                          .arg(language, menu->objectName(), taken.value(key),
                                               item->text());
                        taken.insert(key, item->text());
                    }
                }
                // The controls of one window or wizard page.
                const auto controls = mnemonicsOf(form);
                for (qsizetype i = 0; i < controls.size(); ++i)
                    for (qsizetype j = i + 1; j < controls.size(); ++j) {
                        const QChar key = mnemonicOf(controls[i].second);
                        if (!key.isNull() && key == mnemonicOf(controls[j].second) &&
                            shownTogether(controls[i].first, controls[j].first))
                            shared << QStringLiteral("%1 %2: %3 / %4")
                                          .arg(language, form->objectName(), controls[i].second,
                                               controls[j].second);
                    }
            }
            for (const QString& line : shared)
                qWarning().noquote() << line;
            QVERIFY2(shared.isEmpty(), "mnemonics shared");
            QVERIFY(menus > 10);
        }
    }

    void qtsOwnTextsFollowTheLanguage() {
        AllForms all;
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Cancel"));
        all.german();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Abbrechen"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QString("Öffnen"));
        // The web view's own menus: Qt WebEngine's catalogue comes with Qt's.
        QCOMPARE(QCoreApplication::translate("RenderViewContextMenuQt", "View page source"),
                 QString("Quelltext der Seite anzeigen"));
    }

    void countsAgreeInNumber() {
        apptest::TestEnvironment env;
        const QString many = QStringLiteral("%d files or folders are skipped: x\n\n%s");
        const QString one = QStringLiteral("%d file or folder is skipped: x\n\n%s");
        struct Row {
            bool german;
            qlonglong count;
            QString starts;
        };
        const QList<Row> rows = {{false, 1, "1 file or folder is skipped"},
                                 {false, 2, "2 files or folders are skipped"},
                                 {false, 0, "0 files or folders are skipped"},
                                 {true, 1, "1 Datei oder Ordner wird übersprungen"},
                                 {true, 7, "7 Dateien oder Ordner werden übersprungen"}};
        for (const Row& row : rows) {
            if (row.german)
                QVERIFY(Localization().LoadLanguage(env.program + "Languages/de/Language.xml"));
            const QString text =
                MessageBoxes::countMessage(216, many, 1216, one, {row.count, QString("a")});
            QVERIFY2(text.startsWith(row.starts), qPrintable(text));
        }
        // The publishing dialogs' texts come through the same engine.
        QCOMPARE(publish::PublishTexts::message(200, QStringLiteral("Unknown error")),
                 QString("Unbekannter Fehler"));
    }
};

QTEST_MAIN(LanguageCoverageTest)
#include "tst_LanguageCoverage.moc"
