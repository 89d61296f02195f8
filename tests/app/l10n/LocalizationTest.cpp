#include "app/l10n/Localization.h"
#include "app/l10n/LanguageFileError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "tests/app/QtPrinters.h"

#include <gtest/gtest.h>

using namespace app;

namespace {

void writeFile(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

class LocalizationTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TdsLocalization loc;
    QString path(const QString& rel) const { return dir.path() + u'/' + rel; }
};

} // namespace

TEST_F(LocalizationTest, LookupsWithoutLanguageReturnTheEnglishText) {
    EXPECT_EQ(loc.GetMessage(5, "File \"%s\" does not exist."), "File \"%s\" does not exist.");
    EXPECT_EQ(loc.GetFilter(1, "ZIP Files (*.zip)"), "ZIP Files (*.zip)");
    EXPECT_EQ(loc.GetPath(2, "NoImage.jpg"), "NoImage.jpg");
    EXPECT_EQ(loc.GetString(1, "Gallery"), "Gallery");
    EXPECT_TRUE(loc.Current().Id.isEmpty());
    EXPECT_TRUE(loc.Current().Folder.isEmpty());
}

TEST_F(LocalizationTest, KeysFollowTheElementPathsAndOnlyCdataCounts) {
    writeFile(path("de/Language.xml"), R"(<?xml version="1.0" encoding="UTF-8"?>
<Localization Language="de">
  <Messages><Item Id="7"><![CDATA[Sieben]]></Item>
            <Item Id="5"><![CDATA[Datei "%s" fehlt.]]></Item>
            <Item><![CDATA[ohne Id]]></Item></Messages>
  <Other><Item Id="7"><![CDATA[x]]></Item></Other>
  <Strings><Item Id="1">plain</Item>
           <Item Id="2"><![CDATA[a]]><![CDATA[]]></Item>
           <Item Id="3"><![CDATA[first]]><![CDATA[last]]></Item></Strings>
  <Filters><Item Id="1"><![CDATA[ZIP-Dateien]]></Item></Filters>
  <Paths><Item Id="2"><![CDATA[KeinBild.jpg]]></Item></Paths>
  <messages><Item Id="9"><![CDATA[lower-case section]]></Item></messages>
  <Application><frmStartupWizard><btCreate><Caption><![CDATA[&Erstellen...]]></Caption>
  </btCreate></frmStartupWizard></Application>
</Localization>)");
    ASSERT_TRUE(loc.LoadLanguage(path("de/Language.xml")));
    EXPECT_EQ(loc.GetMessage(7, "seven"), "Sieben");
    EXPECT_EQ(loc.GetMessage(5, "x"), "Datei \"%s\" fehlt.");
    // "messages.Item" below names the same line: names are one key whatever their case.
    EXPECT_EQ(loc.Texts().value("Messages.Item"), "lower-case section");
    EXPECT_TRUE(loc.Texts().contains("Other.Item"));
    EXPECT_FALSE(loc.Texts().contains("Other.ItemId7"));
    EXPECT_EQ(loc.GetString(1, "Gallery"), "Gallery"); // plain text is not a text
    EXPECT_EQ(loc.GetString(2, "Add"), "Add");         // an empty CDATA removes the key
    EXPECT_EQ(loc.GetString(3, "x"), "last");
    EXPECT_EQ(loc.GetFilter(1, "ZIP Files (*.zip)"), "ZIP-Dateien");
    EXPECT_EQ(loc.GetPath(2, "NoImage.jpg"), "KeinBild.jpg");
    // Section names are exact: "messages" does not make numbered items.
    EXPECT_TRUE(loc.Texts().contains("messages.Item"));
    EXPECT_EQ(loc.GetMessage(9, "nine"), "nine");
    EXPECT_EQ(loc.Texts().value("Application.frmStartupWizard.btCreate.Caption"), "&Erstellen...");
    // Lookups of a loaded text ignore letter case, like the name=value list they stand for.
    EXPECT_EQ(loc.Texts().value("application.FRMSTARTUPWIZARD.btcreate.caption"), "&Erstellen...");

    EXPECT_EQ(loc.Current().Id, "de");
    EXPECT_TRUE(loc.Current().Display.isEmpty());
    EXPECT_EQ(loc.Current().File, path("de/Language.xml"));
    EXPECT_EQ(loc.Current().Folder, path("de/"));
    // Keys keep document order.
    EXPECT_EQ(loc.Texts().lines().first().key, "Messages.ItemId7");
}

TEST_F(LocalizationTest, MissingOrRootlessOrBrokenFilesKeepThePreviousTexts) {
    writeFile(path("de/Language.xml"), "<Localization Language='de'><Strings><Item Id='1'>"
                                       "<![CDATA[Galerie]]></Item></Strings></Localization>");
    writeFile(path("xx/Language.xml"), "<Other Language='xx'/>");
    writeFile(path("bad/Language.xml"), "<Localization Language='bad'><Strings>");
    ASSERT_TRUE(loc.LoadLanguage(path("de/Language.xml")));

    EXPECT_FALSE(loc.LoadLanguage(path("none/Language.xml")));
    EXPECT_FALSE(loc.LoadLanguage(path("xx/Language.xml")));
    EXPECT_THROW(loc.LoadLanguage(path("bad/Language.xml")), LanguageFileError);
    EXPECT_EQ(loc.GetString(1, "Gallery"), "Galerie");
    EXPECT_EQ(loc.Current().Id, "de");

    // A later load replaces every text.
    writeFile(path("fr/Language.xml"), "<Localization Language='fr'><Strings><Item Id='4'>"
                                       "<![CDATA[Photo]]></Item></Strings></Localization>");
    ASSERT_TRUE(loc.LoadLanguage(path("fr/Language.xml")));
    EXPECT_EQ(loc.GetString(1, "Gallery"), "Gallery");
    EXPECT_EQ(loc.Texts().size(), 1);
}

TEST_F(LocalizationTest, DeeplyNestedFilesAreRefusedQuicklyAndChangeNothing) {
    writeFile(path("de/Language.xml"), "<Localization Language='de'><Strings><Item Id='1'>"
                                       "<![CDATA[Galerie]]></Item></Strings></Localization>");
    ASSERT_TRUE(loc.LoadLanguage(path("de/Language.xml")));
    QByteArray xml = "<Localization Language='d'>";
    const int depth = 100000;
    for (int i = 0; i < depth; ++i)
        xml += "<a>";
    xml += "<![CDATA[deep]]>";
    for (int i = 0; i < depth; ++i)
        xml += "</a>";
    xml += "</Localization>";
    writeFile(path("d/Language.xml"), xml);
    EXPECT_THROW(loc.LoadLanguage(path("d/Language.xml")), LanguageFileError);
    EXPECT_EQ(loc.GetString(1, "Gallery"), "Galerie");
    EXPECT_EQ(loc.Current().Id, "de");

    // Paths of ordinary depth still load.
    writeFile(path("e/Language.xml"),
              "<Localization Language='e'><Application><frmMain><tsAlbumPreview><Caption>"
              "<![CDATA[Vorschau]]></Caption></tsAlbumPreview></frmMain></Application>"
              "</Localization>");
    ASSERT_TRUE(loc.LoadLanguage(path("e/Language.xml")));
    EXPECT_EQ(loc.Texts().value("Application.frmMain.tsAlbumPreview.Caption"), "Vorschau");
}

TEST_F(LocalizationTest, LanguageListKeepsFirstPlaceAndLaterDataAndRefusesUnsafeIds) {
    writeFile(path("Languages.xml"), R"(<Languages>
  <Language><Id>de</Id><Display>Deutsch</Display></Language>
  <Language><Id>fr</Id><Display>Français</Display></Language>
  <Language><Display>no id</Display></Language>
  <Language><Id>../etc</Id><Display>escape</Display></Language>
  <Language><Id>a/b</Id><Display>nested</Display></Language>
  <Other><Id>it</Id></Other>
  <Language><Id>de</Id><Display><![CDATA[Deutsch2]]></Display></Language>
</Languages>)");
    loc.LoadLanguageList(dir.path()); // no trailing slash
    ASSERT_EQ(loc.Languages().size(), 2);
    EXPECT_EQ(loc.Languages()[0].Id, "de");
    EXPECT_EQ(loc.Languages()[0].Display, "Deutsch2");
    EXPECT_EQ(loc.Languages()[0].Folder, path("de/"));
    EXPECT_EQ(loc.Languages()[0].File, path("de/Language.xml"));
    EXPECT_EQ(loc.Languages()[1].Display, QString::fromUtf8("Français"));
    ASSERT_NE(loc.FindLanguage("fr"), nullptr);
    EXPECT_EQ(loc.FindLanguage("FR"), nullptr);

    // A second load starts afresh; a missing file gives an empty list.
    QFile::remove(path("Languages.xml"));
    loc.LoadLanguageList(dir.path() + "/");
    EXPECT_TRUE(loc.Languages().isEmpty());
    writeFile(path("Languages.xml"), "<Wrong><Language><Id>de</Id></Language></Wrong>");
    loc.LoadLanguageList(dir.path());
    EXPECT_TRUE(loc.Languages().isEmpty());
}

TEST_F(LocalizationTest, FormattedLookupsFallBackToEnglishWhenPlaceholdersDoNotFit) {
    writeFile(path("de/Language.xml"), R"(<Localization Language="de"><Messages>
      <Item Id="5"><![CDATA[%d %s %s]]></Item>
      <Item Id="1"><![CDATA[Änderungen an "%s" speichern?]]></Item></Messages>
      <Strings><Item Id="3"><![CDATA[%s unter %s anlegen]]></Item></Strings></Localization>)");
    ASSERT_TRUE(loc.LoadLanguage(path("de/Language.xml")));
    EXPECT_EQ(loc.Format(TextKind::Messages, 5, "File \"%s\" does not exist.", {QString("/a.zip")}),
              "File \"/a.zip\" does not exist.");
    EXPECT_EQ(loc.Format(TextKind::Messages, 1, "Save changes to album \"%s\" ?", {QString("A")}),
              QString::fromUtf8("Änderungen an \"A\" speichern?"));
    EXPECT_EQ(loc.Format(TextKind::Strings, 3, "Add new %s under %s", {QString("G")}),
              "Add new %s under %s"); // neither fits: the English text unformatted
}

TEST_F(LocalizationTest, LocalizedFileLooksInTheLanguageFolderThenTheFallback) {
    writeFile(path("Files/NoImage.jpg"), "x");
    EXPECT_EQ(loc.LocalizedFile(2, "NoImage.jpg", path("Files")), path("Files/NoImage.jpg"));
    EXPECT_TRUE(loc.LocalizedFile(2, "NoImage.jpg", QString()).isEmpty());
    writeFile(path("de/Language.xml"), "<Localization Language='de'><Paths><Item Id='2'>"
                                       "<![CDATA[Kein.jpg]]></Item></Paths></Localization>");
    ASSERT_TRUE(loc.LoadLanguage(path("de/Language.xml")));
    EXPECT_EQ(loc.LocalizedFile(2, "NoImage.jpg", path("Files")), path("Files/NoImage.jpg"));
    writeFile(path("de/Kein.jpg"), "x");
    EXPECT_EQ(loc.LocalizedFile(2, "NoImage.jpg", path("Files")), path("de/Kein.jpg"));
}
