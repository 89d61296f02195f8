#include "tests/app/AppTestSupport.h"

#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/frmAbout.h"
#include "app/dialogs/frmProgress.h"
#include "app/dialogs/frmSearchProgress.h"
#include "app/l10n/SafeFormat.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>

using namespace app;

namespace {

// The English texts code looks up by number; a translation must carry each of them and take
// the same arguments.
const QList<QPair<int, QString>> kMessages = {
    {1, "Save changes to album \"%s\" ?"},
    {3, "Please, choose a directory for importing photos:"},
    {4, "File \"%s\" already exists. Overwrite ?"},
    {5, "File \"%s\" does not exist."},
    {6, "File \"%s\" does not exist. Open another file?"},
    {7, "Gallery \"%s\" is not empty. Delete this gallery and all its contents?"},
    {9, "No images found in folder \"%s\""},
    {10, "%d images found. Are you sure to import them all?"},
    {11, "%d photos are added to gallery \"%s\""},
    {12, "Sorry, but you may add only %d photo(s) to this level"},
    {13, "Sorry, but you may add only %d photo(s) to this level. Add first %d photo(s) from list?"},
    {14, "This will overwrite \"%s\". Continue?"},
    {15, "Some information could be lost. Are you sure to proceed?"},
    {16, "File \"%s\" not found in package \"%s\"."},
    {17, "\"%s\" is installed successfully."},
    {19, "Template \"%s\" already exists. Overwrite ?"},
    {23, "Select a folder to store the published files of your Photo Album:"},
    {120, "The album file \"%s\" could not be opened: %s"},
    {121, "The template \"%s\" could not be opened: %s"},
    {122, "The album could not be saved to \"%s\"."},
    {123, "The file keeps its previous contents."},
    {124, "Saving was cancelled: the album was not saved to \"%s\"."},
    {125, "Opening \"%s\" was cancelled. No album is open."},
    {216, "%d files or folders are skipped: their names cannot be read.\n\n%s"},
};
const QList<QPair<int, QString>> kStrings = {
    {1, "Gallery"},
    {2, "Add new %s to album"},
    {3, "Add new %s under %s"},
    {4, "Photo"},
    {5, "Add new %s to album"},
    {6, "View Full Size"},
    {7, "Opening Album"},
    {8, "Opening album \"%s\" ..."},
    {9, "Saving Album"},
    {10, "Saving album \"%s\" ..."},
    {11, "Publishing Album"},
    {12, "Publishing album \"%s\" ..."},
    {13, "Adding Photos to Album"},
    {14, "Adding photos to album \"%s\" ..."},
    {15, "Import Photos to Album"},
    {16, "Import photos from directory \"%s\" ..."},
    {18, "Installing package \"%s\""},
    {19, "Installing template \"%s\" ..."},
};

// Arguments of the right types for an English format.
QList<FormatArg> argumentsFor(const QString& english) {
    QList<FormatArg> args;
    static const QRegularExpression conversion("%(s|d)");
    for (auto it = conversion.globalMatch(english); it.hasNext();) {
        if (it.next().captured(1) == "s")
            args << FormatArg(QString("x"));
        else
            args << FormatArg(qlonglong(3));
    }
    return args;
}

// The main window and the forms of this part of the program made beside it at start-up,
// under the names the forms give themselves.
QList<QWidget*> formsOf(TfrmMain& main) {
    return {&main, new TfrmProgress(&main), new TfrmSearchProgress(&main), new TfrmAbout(&main)};
}

// Every text a component shows or carries that a language file can set.
QStringList textsOf(QObject* object) {
    QStringList texts;
    if (auto* action = qobject_cast<QAction*>(object))
        texts << action->text() << action->statusTip() << action->toolTip();
    if (auto* menu = qobject_cast<QMenu*>(object))
        texts << menu->title() << menu->menuAction()->statusTip();
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        texts << button->text();
    if (auto* label = qobject_cast<QLabel*>(object))
        texts << label->text();
    if (auto* group = qobject_cast<QGroupBox*>(object))
        texts << group->title();
    if (auto* edit = qobject_cast<QLineEdit*>(object))
        texts << edit->text();
    if (auto* combo = qobject_cast<QComboBox*>(object)) {
        texts << combo->currentText();
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
    }
    if (auto* list = qobject_cast<QListWidget*>(object)) {
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
    }
    if (auto* plain = qobject_cast<QPlainTextEdit*>(object))
        texts << plain->toPlainText() << plain->toPlainText().split(u'\n');
    if (auto* dialog = qobject_cast<FileDialogSettings*>(object))
        texts << dialog->Filter << dialog->Title << dialog->DefaultExt;
    if (auto* widget = qobject_cast<QWidget*>(object)) {
        texts << widget->toolTip() << widget->windowTitle();
        if (widget->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(widget->parentWidget()->parentWidget()))
                if (tabs->indexOf(widget) >= 0)
                    texts << tabs->tabText(tabs->indexOf(widget));
    }
    return texts;
}

} // namespace

class ShippedLanguagesTest : public QObject {
    Q_OBJECT

private slots:
    void theGermanFileCarriesEveryNumberedText() {
        apptest::TestEnvironment env;
        TdsLocalization& loc = Localization();
        loc.LoadLanguageList(env.program + "Languages");
        QCOMPARE(loc.Languages().size(), 1);
        QCOMPARE(loc.Languages()[0].Display, QString("Deutsch"));
        QVERIFY(loc.LoadLanguage(loc.Languages()[0].File));
        QCOMPARE(loc.Current().Id, QString("de"));
        auto check = [&](TextKind kind, const QList<QPair<int, QString>>& table) {
            for (const auto& [number, english] : table) {
                const QString key = TdsLocalization::Key(kind, number);
                QVERIFY2(loc.Texts().contains(key), qPrintable(key));
                const QString text = loc.Get(kind, number, english);
                QVERIFY2(text != english, qPrintable(key));
                QVERIFY2(SafeFormat::apply(text, argumentsFor(english)), qPrintable(key));
            }
        };
        check(TextKind::Messages, kMessages);
        check(TextKind::Strings, kStrings);
        for (int n = 1; n <= 9; ++n)
            QVERIFY(loc.Texts().contains(TdsLocalization::Key(TextKind::Filters, n)));
        // The translated placeholder picture is shipped beside the file.
        QCOMPARE(loc.LocalizedFile(2, "NoImage.jpg", env.program + "Files"),
                 loc.Current().Folder + "KeinBild.jpg");
    }

    void everyFormKeyNamesAComponentAndPropertyThatExist() {
        apptest::TestEnvironment env;
        auto main = env.makeMainWindow();
        const QList<QWidget*> forms = formsOf(*main);
        TdsLocalization& loc = Localization();
        QVERIFY(loc.LoadLanguage(env.program + "Languages/de/Language.xml"));
        for (QWidget* form : forms)
            env.translator.TranslateForm(loc, form);
        int checked = 0;
        for (const TextTable::Line& line : loc.Texts().lines()) {
            const QStringList parts = line.key.split('.');
            if (parts.size() < 3 || parts[0] != "Application")
                continue;
            QObject* form = nullptr;
            for (QObject* candidate : forms)
                if (candidate->objectName() == parts[1])
                    form = candidate;
            if (!form)
                continue; // a form made by another part of the program
            ++checked;
            // The component, then the property: the text must have arrived there.
            const bool listItem =
                parts.size() >= 5 &&
                (parts[parts.size() - 2].compare("Items", Qt::CaseInsensitive) == 0 ||
                 parts[parts.size() - 2].compare("Lines", Qt::CaseInsensitive) == 0);
            const qsizetype propertyParts = listItem ? 2 : 1;
            QObject* component = form;
            for (qsizetype i = 2; component && i < parts.size() - propertyParts; ++i)
                component = FormTranslator::FindOwned(component, parts[i]);
            QVERIFY2(component, qPrintable(line.key));
            QVERIFY2(textsOf(component).contains(line.value), qPrintable(line.key));
        }
        QVERIFY(checked > 40);
    }

    void everyLabelShowsItsTextLiterally() {
        // Label texts come from language files and album data: markup in them is shown, not
        // rendered.
        apptest::TestEnvironment env;
        auto main = env.makeMainWindow();
        int labels = 0;
        for (QWidget* form : formsOf(*main)) {
            for (QLabel* label : form->findChildren<QLabel*>()) {
                ++labels;
                QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
            }
        }
        QVERIFY(labels >= 14);
    }
};

QTEST_MAIN(ShippedLanguagesTest)
#include "tst_ShippedLanguages.moc"
