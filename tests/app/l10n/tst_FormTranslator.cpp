#include "tests/app/AppTestSupport.h"

#include "app/dialogs/FileDialogSettings.h"
#include "app/dialogs/frmAbout.h"
#include "app/dialogs/frmProgress.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace app;

namespace {

// A small stand-in for a wizard form with the kinds of components language files reach.
struct WizardForm {
    QDialog form;
    QPushButton* btCreate;
    QComboBox* cbOpenRecent;
    QTabWidget* tabs;
    QWidget* page;
    FileDialogSettings* dialog;
    QAction* action;

    WizardForm() {
        form.setObjectName("frmStartupWizard");
        form.setWindowTitle("Album Wizard");
        btCreate = new QPushButton("C&reate...", &form);
        btCreate->setObjectName("btCreate");
        cbOpenRecent = new QComboBox(&form);
        cbOpenRecent->setObjectName("cbOpenRecent");
        cbOpenRecent->addItems({"a.zip", "b.zip", "c.zip"});
        cbOpenRecent->setCurrentIndex(0);
        tabs = new QTabWidget(&form);
        page = new QWidget;
        page->setObjectName("tsFirst");
        tabs->addTab(page, "First");
        dialog = new FileDialogSettings("OpenDialog", "ZIP Files (*.zip)|*.zip", &form);
        action = new QAction("&Open", &form);
        action->setObjectName("acOpen");
    }
};

void load(const QString& folder, const QByteArray& body) {
    apptest::writeText(folder + "/Language.xml", "<Localization Language='t'><Application>" + body +
                                                     "</Application></Localization>");
    QVERIFY(Localization().LoadLanguage(folder + "/Language.xml"));
}

} // namespace

class FormTranslatorTest : public QObject {
    Q_OBJECT

private slots:
    void init() { Localization().Reset(); }
    void cleanup() { Localization().Reset(); }

    void componentNamesMatchExactlyPropertiesInAnyCase() {
        QTemporaryDir dir;
        WizardForm w;
        ApplicationForms forms;
        forms.add(&w.form);
        FormTranslator translator(forms);

        // Loaded one at a time: keys differing only in case are one key of the table.
        load(dir.path(), "<FRMSTARTUPWIZARD><btCreate><Caption><![CDATA[wrong form]]></Caption>"
                         "</btCreate></FRMSTARTUPWIZARD>");
        translator.TranslateApplication(Localization());
        QCOMPARE(w.btCreate->text(), QString("C&reate..."));
        load(dir.path(), "<frmStartupWizard><BTCREATE><Caption><![CDATA[wrong button]]></Caption>"
                         "</BTCREATE></frmStartupWizard>");
        translator.TranslateApplication(Localization());
        QCOMPARE(w.btCreate->text(), QString("C&reate..."));
        apptest::writeText(dir.path() + "/Language.xml",
                           "<Localization Language='t'><APPLICATION><frmStartupWizard><btCreate>"
                           "<Caption><![CDATA[wrong root]]></Caption></btCreate>"
                           "</frmStartupWizard></APPLICATION></Localization>");
        QVERIFY(Localization().LoadLanguage(dir.path() + "/Language.xml"));
        translator.TranslateApplication(Localization());
        QCOMPARE(w.btCreate->text(), QString("C&reate..."));

        load(dir.path(),
             "<frmStartupWizard><btCreate><caption><![CDATA[Erstellen]]></caption>"
             "<Name><![CDATA[renamed]]></Name><Enabled><![CDATA[False]]></Enabled>"
             "</btCreate><Caption><![CDATA[Assistent]]></Caption>"
             "<cbOpenRecent><Items><String2><![CDATA[zwei]]></String2>"
             "<String7><![CDATA[out of range]]></String7></Items></cbOpenRecent>"
             "<tsFirst><Caption><![CDATA[Erste]]></Caption></tsFirst>"
             "<OpenDialog><Filter><![CDATA[ZIP-Dateien|*.zip]]></Filter></OpenDialog>"
             "<acOpen><Caption><![CDATA[&Öffnen]]></Caption><Hint><![CDATA[Tipp]]></Hint>"
             "</acOpen></frmStartupWizard>");
        translator.TranslateApplication(Localization());
        QCOMPARE(w.btCreate->text(), QString("Erstellen"));
        QCOMPARE(w.btCreate->objectName(), QString("btCreate"));
        QVERIFY(w.btCreate->isEnabled());
        QCOMPARE(w.form.windowTitle(), QString("Assistent"));
        QCOMPARE(w.cbOpenRecent->itemText(2), QString("zwei"));
        QCOMPARE(w.cbOpenRecent->currentIndex(), 0);
        QCOMPARE(w.cbOpenRecent->count(), 3);
        QCOMPARE(w.tabs->tabText(0), QString("Erste"));
        QCOMPARE(w.dialog->Filter, QString("ZIP-Dateien|*.zip"));
        QCOMPARE(w.action->text(), QString::fromUtf8("&Öffnen"));
        QCOMPARE(w.action->statusTip(), QString("Tipp"));
    }

    void embeddedFramesAreScopesOfTheirOwn() {
        QTemporaryDir dir;
        QWidget main;
        main.setObjectName("frmMain");
        auto* box = new QWidget(&main);
        box->setObjectName("sbAlbumSettings");
        auto* frame = new QWidget(box);
        frame->setObjectName("sbAlbumSettings_TextFieldFrame0");
        FormTranslator::MarkScope(frame);
        auto* lbCaption = new QLabel("Title", frame);
        lbCaption->setObjectName("lbCaption");
        auto* btFontSize = new QPushButton("Size", frame);
        btFontSize->setObjectName("btFontSize");
        ApplicationForms forms;
        forms.add(&main);
        FormTranslator translator(forms);

        load(dir.path(), "<frmMain><lbCaption><Caption><![CDATA[leaked]]></Caption></lbCaption>"
                         "<sbAlbumSettings_TextFieldFrame0><btFontSize><Caption><![CDATA[Größe]]>"
                         "</Caption></btFontSize></sbAlbumSettings_TextFieldFrame0></frmMain>");
        translator.TranslateApplication(Localization());
        QCOMPARE(lbCaption->text(), QString("Title"));
        QCOMPARE(btFontSize->text(), QString::fromUtf8("Größe"));
    }

    void aMenuHintShowsInTheStatusBarOfItsItem() {
        QTemporaryDir dir;
        QWidget main;
        main.setObjectName("frmMain");
        auto* menu = new QMenu("&File", &main);
        menu->setObjectName("miFile");
        QMenu parent;
        parent.addMenu(menu);
        ApplicationForms forms;
        forms.add(&main);
        FormTranslator translator(forms);
        load(dir.path(),
             "<frmMain><miFile><Hint><![CDATA[Dateibefehle]]></Hint></miFile></frmMain>");
        translator.TranslateApplication(Localization());
        QCOMPARE(menu->menuAction()->statusTip(), QString("Dateibefehle"));
        load(dir.path(), "<frmMain/>");
        translator.TranslateApplication(Localization());
        QCOMPARE(menu->menuAction()->statusTip(), QString());
    }

    void aNewLanguageStartsFromTheEnglishTexts() {
        QTemporaryDir dir;
        WizardForm w;
        ApplicationForms forms;
        forms.Title = "Fotrenza";
        forms.add(&w.form);
        FormTranslator translator(forms);
        load(dir.path() + "/de",
             "<Title><![CDATA[Fotoprogramm]]></Title><frmStartupWizard><btCreate><Caption>"
             "<![CDATA[Erstellen]]></Caption></btCreate><cbOpenRecent><Items><String1>"
             "<![CDATA[eins]]></String1></Items></cbOpenRecent></frmStartupWizard>");
        translator.TranslateApplication(Localization());
        QCOMPARE(forms.Title, QString("Fotoprogramm"));
        QCOMPARE(w.cbOpenRecent->itemText(1), QString("eins"));

        // The next language lacks these keys: English comes back, nothing stale stays.
        load(dir.path() + "/fr", "<frmStartupWizard><tsFirst><Caption><![CDATA[Premier]]>"
                                 "</Caption></tsFirst></frmStartupWizard>");
        translator.TranslateApplication(Localization());
        QCOMPARE(w.btCreate->text(), QString("C&reate..."));
        QCOMPARE(w.cbOpenRecent->itemText(1), QString("b.zip"));
        QCOMPARE(forms.Title, QString("Fotrenza"));
        QCOMPARE(w.tabs->tabText(0), QString("Premier"));
    }

    void windowsMadeLaterAreTranslatedByTheirFormName() {
        QTemporaryDir dir;
        ApplicationForms forms;
        FormTranslator translator(forms);
        load(dir.path(), "<frmProgress><btCancel><Caption><![CDATA[&Abbrechen]]></Caption>"
                         "</btCancel></frmProgress>");
        TfrmProgress later;
        later.setObjectName("frmProgress");
        translator.TranslateForm(Localization(), &later);
        QCOMPARE(later.findChild<QPushButton*>("btCancel")->text(), QString("&Abbrechen"));
    }

    void aboutBoxFormatsItsTemplatesOnEveryShowing() {
        QTemporaryDir dir;
        TfrmAbout about;
        about.setObjectName("frmAbout");
        QStringList opened;
        about.OpenLink = [&](const QString& link) { opened << link; };
        for (int i = 0; i < 2; ++i) {
            about.show();
            QCOMPARE(about.windowTitle(), QString("About Brimlo Lumivex"));
            QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QString("Version 2.96"));
            about.hide();
        }
        ApplicationForms forms;
        forms.add(&about);
        FormTranslator translator(forms);
        load(dir.path(), "<frmAbout><Caption><![CDATA[Über %s]]></Caption><lblVersion><Caption>"
                         "<![CDATA[%d %d]]></Caption></lblVersion></frmAbout>");
        translator.TranslateApplication(Localization());
        about.show();
        QCOMPARE(about.windowTitle(), QString::fromUtf8("Über Brimlo Lumivex"));
        // A translation that does not fit its argument gives the English line.
        QCOMPARE(about.findChild<QLabel*>("lblVersion")->text(), QString("Version 2.96"));
        QTest::mouseClick(about.findChild<QLabel*>("lblWebsite"), Qt::LeftButton);
        QCOMPARE(opened.size(), 1);
        QVERIFY(opened[0].startsWith("https://"));
        about.hide();
    }
};

QTEST_MAIN(FormTranslatorTest)
#include "tst_FormTranslator.moc"
