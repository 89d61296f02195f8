#include "tests/model/ModelTestSupport.h"

#include "model/Errors.h"
#include "model/settings/AlbumSettings.h"

#include <QElapsedTimer>

using namespace model;
using namespace modeltest;

namespace {

constexpr int Any = TpaAlbumSettingsLevel::AnyDepth;

TpaAlbumSettings Load(const QByteArray& xml) {
    TempFolder dir;
    WriteFile(dir.file("album.xml"), xml);
    TpaAlbumSettings settings;
    settings.LoadFromFile(dir.file("album.xml"));
    return settings;
}

} // namespace

TEST(AlbumSettings, FirstLevelForAnIdWinsAndStarAnswersTheRest) {
    auto s = Load(R"(<setting id="t1" width="640" height="480">
        <level id="0" name="root"/><level id="1" name="one"/><level id="1" name="dup"/>
        <level id="*" name="any"/></setting>)");
    EXPECT_EQ(s.Id, "t1");
    EXPECT_EQ(s.PublishSize.Width, 640);
    EXPECT_EQ(s.PublishSize.Height, 480);
    ASSERT_EQ(s.Levels.Count(), 3);
    EXPECT_EQ(s.Levels.FindLevel(0)->Id, 0);
    EXPECT_EQ(s.Levels.FindLevel(1)->Name, "one");
    EXPECT_EQ(s.Levels.FindLevel(7)->Id, Any);
    EXPECT_EQ(s.Levels.IndexOfId(7), 2);

    auto starFirst = Load(R"(<setting><level id="*" name="any"/><level id="1"/></setting>)");
    ASSERT_EQ(starFirst.Levels.Count(), 1);
    EXPECT_EQ(starFirst.Levels.FindLevel(1)->Id, Any);
    EXPECT_EQ(starFirst.Levels.Add(5), nullptr) << "the star level answers 5 already";

    auto noStar = Load(R"(<setting><level id="0"/><level id="1"/></setting>)");
    EXPECT_EQ(noStar.Levels.FindLevel(2), nullptr);
    EXPECT_EQ(noStar.Levels.IndexOfId(2), -1);
}

TEST(AlbumSettings, FieldDefinitionsAreReadAsTheTemplateGivesThem) {
    auto s = Load(R"(<?xml version="1.0"?>
<setting id="x">
  <level id="1" caption="2" name="Gallery" maxphotos="12">
    <access>Pwd</access>
    <txt id="1" locked="1">A</txt>
    <txt id="1">dup</txt>
    <txt id="2" locked="true" lockfontsized="1">B</txt>
    <txt id="zz">C</txt>
    <txt>no id</txt>
    <src id="1" w="800" h="600">Main</src>
    <src id="2" thumb="1" w="100">Thumb</src>
    <src id="2" w="5">dup</src>
    <music>Song</music>
    <music>Second song</music>
    <photo name="Pic" show="2" caption="1">
      <txt id="1">Title</txt><src id="2" w="150" h="150">Shown</src>
      <music>Tune</music><link>Url</link>
    </photo>
    <photo name="ignored"/>
  </level>
</setting>)");
    const TpaAlbumSettingsLevel* l = s.Levels.FindLevel(1);
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->Name, "Gallery");
    EXPECT_EQ(l->MaxFolders, TpaAlbumSettingsLevel::NoLimit);
    EXPECT_EQ(l->MaxPhotos, 12);
    ASSERT_EQ(l->TextFields.Count(), 2);
    EXPECT_EQ(l->TextFields.GetItem(0)->Caption, "A");
    EXPECT_TRUE(l->TextFields.GetItem(0)->Locked);
    EXPECT_FALSE(l->TextFields.GetItem(1)->Locked) << "only \"1\" locks";
    EXPECT_TRUE(l->TextFields.GetItem(1)->LockFontSized);
    EXPECT_EQ(l->TextFields.CaptionFieldId, 2);
    EXPECT_EQ(l->TextFields.CaptionField()->Caption, "B");
    ASSERT_EQ(l->ImageFields.Count(), 2);
    const TpaAlbumSettingsImageField* thumb = l->ImageFields.FindById(2);
    EXPECT_EQ(thumb->Thumb, 1);
    EXPECT_EQ(thumb->W, 100);
    EXPECT_EQ(thumb->H, 0);
    EXPECT_EQ(thumb->Caption, "Thumb");
    EXPECT_EQ(l->ImageFields.FindById(1)->Thumb, -1);
    EXPECT_EQ(l->Music.Caption, "Song");
    EXPECT_EQ(l->Access.Caption, "Pwd");
    EXPECT_EQ(l->Photo.Name, "Pic");
    EXPECT_EQ(l->Photo.Show, 2);
    EXPECT_EQ(l->Photo.TextFields.CaptionFieldId, 1);
    EXPECT_EQ(l->Photo.TextFields.CaptionField()->Caption, "Title");
    EXPECT_EQ(l->Photo.ImageFields.FindById(2)->W, 150);
    EXPECT_EQ(l->Photo.Music.Caption, "Tune");
    EXPECT_EQ(l->Photo.Link.Caption, "Url");
}

TEST(AlbumSettings, UnusableLevelIdsAreSkippedAndAMissingIdFailsTheLoad) {
    auto s = Load(R"(<setting><level id="x"/><level id=""/><level id="-1"/>
        <level id="-5" name="minus five"/><level id="0" name="root"/></setting>)");
    ASSERT_EQ(s.Levels.Count(), 2);
    EXPECT_EQ(s.Levels.FindLevel(0)->Name, "root");
    EXPECT_EQ(s.Levels.FindLevel(-5)->Name, "minus five");

    TempFolder dir;
    WriteFile(dir.file("album.xml"),
              R"(<setting id="new"><level id="0"/><level name="no id"/></setting>)");
    TpaAlbumSettings kept;
    kept.Id = "old";
    kept.Levels.Add(3);
    EXPECT_THROW(kept.LoadFromFile(dir.file("album.xml")), ConversionError);
    EXPECT_EQ(kept.Id, "old") << "a failed load changes nothing";
    EXPECT_EQ(kept.Levels.Count(), 1);
}

TEST(AlbumSettings, OtherRootsMissingAndHostileFiles) {
    auto other = Load("<other id=\"x\" width=\"5\"><level id=\"0\"/></other>");
    EXPECT_EQ(other.Id, "");
    EXPECT_EQ(other.PublishSize.Width, -1);
    EXPECT_EQ(other.PublishSize.Height, -1);
    EXPECT_EQ(other.Levels.Count(), 0);
    EXPECT_EQ(other.Levels.FindLevel(0), nullptr);

    auto badSize = Load(R"(<setting width="wide" height=" 300 "/>)");
    EXPECT_EQ(badSize.PublishSize.Width, -1);

    TpaAlbumSettings s;
    EXPECT_THROW(s.LoadFromFile("/nonexistent/album.xml"), XmlLoadError);
    EXPECT_THROW(Load("<setting><level id=\"0\"></setting>"), XmlLoadError);
    EXPECT_THROW(Load(""), XmlLoadError);

    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE setting [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'f'; ++c)
        bomb += QByteArray("<!ENTITY ") + c + " \"" + QByteArray("&") + char(c - 1) + ";" +
                QByteArray("&") + char(c - 1) + ";&" + char(c - 1) + ";&" + char(c - 1) + ";&" +
                char(c - 1) + ";&" + char(c - 1) + ";&" + char(c - 1) + ";&" + char(c - 1) + ";&" +
                char(c - 1) + ";&" + char(c - 1) + ";\">\n";
    bomb += "]>\n<setting id=\"&f;\"/>";
    QElapsedTimer t;
    t.start();
    EXPECT_THROW(Load(bomb), XmlLoadError);
    EXPECT_LT(t.elapsed(), 2000);

    // Well-formed, so only the nesting bound can refuse it.
    const QByteArray deep = "<setting>" + QByteArray("<a>").repeated(100000) +
                            QByteArray("</a>").repeated(100000) + "</setting>";
    try {
        Load(deep);
        ADD_FAILURE() << "deep nesting must be refused before a DOM exists";
    } catch (const XmlLoadError& e) {
        EXPECT_TRUE(e.message().contains("nested too deeply")) << e.what();
    }
}
