#include "tests/model/ModelTestSupport.h"
#include "tests/support/FileSizeCap.h"

#include "model/Errors.h"
#include "model/document/Album.h"
#include "model/document/DataXmlReader.h"
#include "model/items/AlbumItem.h"
#include "model/items/GalleryItem.h"
#include "model/items/PhotoItem.h"

#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>

using namespace model;
using namespace modeltest;

namespace {

// A working folder with the test template's "album.xml" and a few asset files.
class Work {
public:
    Work() {
        WriteFile(dir.file("album.xml"), ReadFile(TestData("album.xml")));
        WriteFile(dir.file("pictavo_images/bg.jpg"), QByteArray(1234, 'x'));
        WriteFile(dir.file("pictavo_images/a b.jpg"), QByteArray(55, 'x'));
        WriteFile(dir.file("pictavo_images/p2.jpg"), QByteArray(77, 'x'));
        WriteFile(dir.file("pictavo_thumbs/tn_p2.jpg"), QByteArray(9, 'x'));
        WriteFile(dir.file("pictavo_music/song.mp3"), QByteArray(10, 'x'));
        album.Settings.LoadFromFile(dir.file("album.xml"));
    }
    QString data() const { return dir.file("data.xml"); }

    TempFolder dir;
    TpaAlbum album;
};

TpaTreeNode* Add(TpaAlbum& album, TpaTreeNode* parent, TpaItemKind kind, const QString& caption) {
    TpaTreeNode* n = album.Tree().Append(parent, album.CreateItem(kind, parent));
    if (auto* field = n->Item()->CaptionField())
        field->Value = caption;
    return n;
}

TpaImageInfo Image(const QString& file, qint64 size, int w, int h) {
    TpaImageInfo i;
    i.FileName = file;
    i.Name = file.section('/', -1);
    i.Size = size;
    i.Width = w;
    i.Height = h;
    i.ImageType = "JPEG";
    return i;
}

// Root "Album" with gallery A, photo P1, gallery B; A holds A1, B holds P2;
// every kind of value, with text that needs care in XML.
struct ExampleTree {
    TpaTreeNode *root, *a, *p1, *b, *a1, *p2;

    explicit ExampleTree(TpaAlbum& album) {
        root = Add(album, nullptr, ikAlbum, "<font size=\"14\">Ålbum 日本</font>");
        auto* rootItem = static_cast<TpaAlbumItem*>(root->Item());
        rootItem->Level.TextFields.FindById(2)->Value =
            QString("Tom & \"Jerry\" <3 x]]>y") + QChar(1) + "\tend\r\nsecond line";
        rootItem->Level.ImageFields.FindById(1)->Image =
            Image("pictavo_images/bg.jpg", 1234, 800, 600);
        rootItem->Level.Music.FileName = "song.mp3";
        rootItem->Level.Music.Startup = "on";
        rootItem->Level.Access.Value = "secret & <safe>";
        rootItem->PublishSize.WidthScale = 80;
        rootItem->PublishSize.WidthPixel = 640;
        rootItem->PublishSize.HeightScale = 40;
        rootItem->PublishSize.HeightPixel = 300;
        rootItem->PublishSize.HeightMetric = szPixel;
        rootItem->PublishSize.ConstrainProportions = false;
        a = Add(album, root, ikGallery, "A");
        p1 = Add(album, root, ikPhoto, "P1");
        b = Add(album, root, ikGallery, "B");
        a1 = Add(album, a, ikGallery, "A1");
        p2 = Add(album, b, ikPhoto, "P2");
        a->Item()->Level.ImageFields.FindById(1)->Image =
            Image("pictavo_images/a b.jpg", 55, 20, 10);
        auto& photo = p2->Item()->Level.Photo;
        photo.TextFields.FindById(2)->Value = "<![CDATA[ nested ]]>";
        photo.ImageFields.FindById(1)->Image = Image("pictavo_images/p2.jpg", 77, 640, 427);
        photo.ImageFields.FindById(2)->Image = Image("pictavo_thumbs/tn_p2.jpg", 9, 100, 67);
        photo.Link.Src = "http://example.com/?a=1&b=\"2\"";
        photo.Link.Target = "_self";
        photo.Music.FileName = "song.mp3";
        photo.Music.Startup = "off";
        p1->Item()->Level.Photo.Link.Src = "";
    }
};

std::vector<TpaTreeNode*> Children(TpaTreeNode* n) {
    std::vector<TpaTreeNode*> out;
    for (int i = 0; i < n->ChildCount(); ++i)
        out.push_back(n->Child(i));
    return out;
}

QStringList Texts(TpaTreeNode* n) {
    QStringList out;
    for (TpaTreeNode* c : Children(n))
        out << c->Text();
    return out;
}

} // namespace

TEST(AlbumData, ExampleTreeIsWrittenByteForByteAndReadBackEqual) {
    Work w;
    ExampleTree t(w.album);
    w.album.SaveToXml(w.data());
    const QByteArray first = ReadFile(w.data());
    const QByteArray golden = ReadFile(TestData("golden_data.xml"));
    if (first != golden) // kept for a look at the difference
        WriteFile(QStringLiteral(FZ_BINARY_DIR "/golden_data.actual.xml"), first);
    ASSERT_FALSE(golden.isEmpty());
    EXPECT_EQ(first.toStdString(), golden.toStdString());
    EXPECT_FALSE(first.startsWith("\xEF\xBB\xBF")) << "no byte-order mark";

    EXPECT_EQ(static_cast<TpaGalleryItem*>(t.a->Item())->Id, 1);
    EXPECT_EQ(static_cast<TpaGalleryItem*>(t.a1->Item())->Id, 2);
    EXPECT_EQ(static_cast<TpaGalleryItem*>(t.a1->Item())->Pid, 1);
    EXPECT_EQ(static_cast<TpaGalleryItem*>(t.b->Item())->Id, 3);
    EXPECT_EQ(static_cast<TpaPhotoItem*>(t.p1->Item())->Fid, 0);
    EXPECT_EQ(static_cast<TpaPhotoItem*>(t.p2->Item())->Fid, 3);

    TpaAlbum again;
    again.LoadFromXml(w.data());
    TpaTreeNode* root = again.Tree().Root();
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Text(), "Ålbum 日本");
    EXPECT_EQ(again.GetAlbumName(), "Ålbum 日本");
    EXPECT_EQ(Texts(root), (QStringList{"A", "B", "P1"})) << "galleries come before photos";
    EXPECT_EQ(Texts(root->Child(0)), QStringList{"A1"});
    EXPECT_EQ(Texts(root->Child(1)), QStringList{"P2"});
    EXPECT_TRUE(root->Expanded());

    // Every value is back, except the dropped control character and the CR.
    auto* rootItem = static_cast<TpaAlbumItem*>(root->Item());
    auto* expected = static_cast<TpaAlbumItem*>(t.root->Item());
    expected->Level.TextFields.FindById(2)->Value = "Tom & \"Jerry\" <3 x]]>y\tend\nsecond line";
    EXPECT_EQ(rootItem->Level, expected->Level);
    EXPECT_EQ(rootItem->PublishSize, expected->PublishSize);
    EXPECT_EQ(rootItem->PublishSize.Width, 800) << "the native size comes from album.xml";
    EXPECT_EQ(root->Child(0)->Item()->Level, t.a->Item()->Level);
    EXPECT_EQ(root->Child(0)->Child(0)->Item()->Level, t.a1->Item()->Level);
    EXPECT_EQ(root->Child(1)->Child(0)->Item()->Level, t.p2->Item()->Level);
    EXPECT_EQ(root->Child(2)->Item()->Level, t.p1->Item()->Level);

    again.SaveToXml(w.data());
    const QByteArray second = ReadFile(w.data());
    again.SaveToXml(w.data());
    EXPECT_EQ(second, ReadFile(w.data())) << "saving twice gives the same bytes";
    TpaAlbum third;
    third.LoadFromXml(w.data());
    third.SaveToXml(w.data());
    EXPECT_EQ(second, ReadFile(w.data()));

    const QString xmllint = QStandardPaths::findExecutable("xmllint");
    if (!xmllint.isEmpty()) {
        EXPECT_EQ(QProcess::execute(xmllint, {"--noout", w.data()}), 0);
    }
}

TEST(AlbumData, FieldValueFormsAreReadAsWritten) {
    Work w;
    WriteFile(w.data(), R"(<photogallery height_scale="40" height_pixel="300" height_metric="1">
  <txt id="1">plain <![CDATA[and]]> cdata</txt>
  <txt id="1"><![CDATA[last wins]]></txt>
  <txt id="9">unknown id</txt>
  <src id="7">unknown, no size</src>
  <music>other\dir\a.mp3</music>
  <folder/>
  <photo>
    <item fid="0"><link src="http://x"/><music startup="">../../b.mp3</music></item>
    <item fid="0"><music>x/..</music><link target="t"/></item>
  </photo>
</photogallery>)");
    w.album.LoadFromXml(w.data());
    TpaTreeNode* root = w.album.Tree().Root();
    ASSERT_NE(root, nullptr);
    auto* album = static_cast<TpaAlbumItem*>(root->Item());
    EXPECT_EQ(album->Level.TextFields.FindById(1)->Value, "last wins");
    EXPECT_EQ(album->Level.Music.FileName, "a.mp3");
    EXPECT_EQ(album->Level.Music.Startup, "off");
    EXPECT_EQ(album->PublishSize.WidthScale, -1);
    EXPECT_EQ(album->PublishSize.HeightScale, 40);
    EXPECT_TRUE(album->PublishSize.ConstrainProportions);
    const auto& link = root->Child(0)->Item()->Level.Photo.Link;
    EXPECT_EQ(link.Src, "http://x");
    EXPECT_EQ(link.Target, "_blank");
    EXPECT_EQ(root->Child(0)->Item()->Level.Photo.Music.FileName, "b.mp3");
    EXPECT_EQ(root->Child(0)->Item()->Level.Photo.Music.Startup, "");
    EXPECT_EQ(root->Child(1)->Item()->Level.Photo.Music.FileName, "") << "\"..\" is no file";

    album->Level.TextFields.FindById(2)->Value = "  ";
    root->Child(1)->Item()->Level.Photo.Link.Src = "two\r\nlines\tand\rmore";
    w.album.SaveToXml(w.data());
    const QByteArray saved = ReadFile(w.data());
    for (qsizetype i = saved.indexOf('\r'); i >= 0; i = saved.indexOf('\r', i + 1))
        EXPECT_EQ(saved.mid(i, 2), "\r\n") << "a CR only ever ends a line, at " << i;
    TpaAlbum reread;
    reread.LoadFromXml(w.data());
    EXPECT_EQ(reread.Tree().Root()->Child(1)->Item()->Level.Photo.Link.Src,
              "two\r\nlines\tand\rmore")
        << "line ends and tabs in attributes come back as they were";
    EXPECT_EQ(static_cast<TpaAlbumItem*>(reread.Tree().Root()->Item())
                  ->Level.TextFields.FindById(2)
                  ->Value,
              "  ")
        << "a value of blanks survives";
    EXPECT_TRUE(saved.contains("<photogallery defaultfolder=\"0\" height_scale=\"40\" "
                               "height_pixel=\"300\" height_metric=\"1\" "
                               "constrain_proportions=\"1\">\r\n"));
    EXPECT_TRUE(saved.contains("\t<music startup=\"off\">pictavo_music/a.mp3</music>\r\n"));
    EXPECT_TRUE(saved.contains("\t\t\t<link src=\"http://x\" target=\"_blank\"/>\r\n"));
    EXPECT_TRUE(saved.contains("<music startup=\"\">pictavo_music/b.mp3</music>"));
    EXPECT_TRUE(saved.contains("\t<txt id=\"2\"><![CDATA[  ]]></txt>\r\n"));
    EXPECT_FALSE(saved.contains("unknown"));

    TpaAlbumSettingsTextFieldList own, source;
    own.Add(1)->Value = "one";
    own.Add(2)->Value = "two";
    source.Add(2)->Value = "new two";
    source.Add(3)->Value = "three";
    own.AssignValues(source);
    EXPECT_EQ(own.FindById(1)->Value, "one");
    EXPECT_EQ(own.FindById(2)->Value, "new two");
    EXPECT_EQ(own.Count(), 2);
}

TEST(AlbumData, ImageValuesStayInsideTheWorkingFolder) {
    Work w;
    const QString preview = w.dir.path();
    WriteFile(w.dir.file("pictavo_images/big.jpg"), QByteArray(1234, 'x'));
    const auto load = [&](const char* xml) {
        QDomDocument doc;
        doc.setContent(QByteArray(xml));
        TpaImageInfo info;
        info.Thumbnail = "/kept";
        info.LoadFromXml(doc.documentElement(), preview);
        return info;
    };
    TpaImageInfo i = load(R"(<src id="1" w="10" h="20">pictavo_images/big.jpg</src>)");
    EXPECT_EQ(i.FileName, "pictavo_images/big.jpg");
    EXPECT_EQ(i.Name, "big.jpg");
    EXPECT_EQ(i.Size, 1234);
    EXPECT_EQ(i.Width, 10);
    EXPECT_EQ(i.Height, 20);
    EXPECT_EQ(i.ImageType, "JPEG");
    EXPECT_EQ(i.Thumbnail, "/kept");
    EXPECT_EQ(load(R"(<src id="1" w="10" h="20">pictavo_images\big.jpg</src>)").Size, 1234);
    TpaImageInfo empty = load(R"(<src id="1" w="0" h="0"/>)");
    EXPECT_EQ(empty.FileName, "");
    EXPECT_EQ(empty.Size, 0);
    EXPECT_EQ(empty.ImageType, "UNKNOWN");
    EXPECT_EQ(load(R"(<src w="1" h="1">pictavo_images/missing.gif</src>)").Size, 0);
    EXPECT_EQ(load(R"(<src w="1" h="1">pictavo_images/missing.gif</src>)").ImageType, "GIF");
    for (const char* hostile :
         {R"(<src w="1" h="1">../../victim.txt</src>)",
          R"(<src w="1" h="1">pictavo_images/../../victim.txt</src>)",
          R"(<src w="1" h="1">/etc/passwd</src>)", R"(<src w="1" h="1">\\server\share\x.jpg</src>)",
          R"(<src w="1" h="1">C:\x.jpg</src>)"}) {
        TpaImageInfo bad = load(hostile);
        EXPECT_EQ(bad.FileName, "") << hostile;
        EXPECT_EQ(bad.Size, 0) << hostile;
    }
    QDomDocument doc;
    doc.setContent(QByteArray(R"(<src w="5">a.jpg</src>)"));
    TpaImageInfo info;
    EXPECT_THROW(info.LoadFromXml(doc.documentElement(), preview), ConversionError);
    EXPECT_EQ(info.Width, 0) << "nothing changes when the element is refused";

    TpaImageInfo unknown;
    unknown.Width = 3;
    try {
        unknown.LoadFromFile(w.dir.file("x.png"));
        ADD_FAILURE() << "a .png file has no decoder";
    } catch (const PictureError& e) {
        EXPECT_EQ(e.message(), "Unknown picture file extension (.png)");
    }
    EXPECT_EQ(unknown.Width, 3);
}

TEST(AlbumData, GalleryReferencesPlaceGalleriesSafely) {
    Work w;
    WriteFile(w.data(), R"(<photogallery><folder>
        <item id="0" pid="0"><txt id="1">zero</txt></item>
        <item id="1" pid="0"><txt id="1">one</txt></item>
        <item id="2" pid="5"><txt id="1">forward</txt></item>
        <item id="5" pid="1"><txt id="1">five</txt></item>
        <item id="6" pid="6"><txt id="1">self</txt></item>
        <item id="7" pid="-3"><txt id="1">negative</txt></item>
        <item id="8" pid="99"><txt id="1">missing</txt></item>
        <item id="9" pid="5"><txt id="1">under five</txt></item>
      </folder><photo>
        <item fid="5"><txt id="1">in five</txt></item>
        <item fid="42"><txt id="1">lost</txt></item>
      </photo></photogallery>)");
    w.album.LoadFromXml(w.data());
    TpaTreeNode* root = w.album.Tree().Root();
    EXPECT_EQ(Texts(root),
              (QStringList{"zero", "one", "forward", "self", "negative", "missing", "lost"}));
    TpaTreeNode* five = w.album.FindGalleryNode(5);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(five->Parent()->Text(), "one");
    EXPECT_EQ(Texts(five), (QStringList{"under five", "in five"}));
    EXPECT_EQ(five->Child(1)->Item()->Level.Photo.TextFields.CaptionFieldId, 1);
}

TEST(AlbumData, DamagedFilesFailWholeAndLeaveAnEmptyTree) {
    const char* damaged[] = {
        "<photogallery><folder><item id=\"1\"></folder></photogallery>",
        "<photogallery><folder><item pid=\"0\"/></folder></photogallery>",
        "<photogallery><folder><item id=\"x\" pid=\"0\"/></folder></photogallery>",
        "<photogallery><folder/><photo><item/></photo></photogallery>",
        "<photogallery><txt id=\"1\">ok</txt><src id=\"1\">no size</src></photogallery>",
        "<photogallery><folder/><photo><item fid=\"0\"><src id=\"1\" w=\"2\">x.jpg</src>"
        "</item></photo></photogallery>",
        "",
    };
    for (const char* text : damaged) {
        Work w;
        ExampleTree t(w.album);
        w.album.SaveToXml(w.dir.file("good.xml"));
        WriteFile(w.data(), text);
        EXPECT_ANY_THROW(w.album.LoadFromXml(w.data())) << text;
        EXPECT_TRUE(w.album.Tree().IsEmpty()) << text;
        EXPECT_EQ(w.album.Settings.Levels.Count(), 0) << text;
        EXPECT_EQ(ReadFile(w.data()), QByteArray(text)) << "the file is not touched";
        w.album.SaveToXml(w.data());
        EXPECT_EQ(ReadFile(w.data()), QByteArray(text)) << "an empty tree writes nothing";
    }
    Work missing;
    QFile::remove(missing.dir.file("album.xml"));
    EXPECT_THROW(missing.album.LoadFromXml(missing.data()), XmlLoadError);
    Work noRoot;
    WriteFile(noRoot.data(), "<other/>");
    noRoot.album.LoadFromXml(noRoot.data());
    EXPECT_TRUE(noRoot.album.Tree().IsEmpty());
    EXPECT_EQ(noRoot.album.Settings.Id, "testtpl");
}

TEST(AlbumData, HundredThousandDeepGalleryChainIsRefusedQuickly) {
    Work w;
    QByteArray xml = "<photogallery><folder>";
    for (int i = 1; i <= 100000; ++i)
        xml += "<item id=\"" + QByteArray::number(i) + "\" pid=\"" + QByteArray::number(i - 1) +
               "\"/>";
    xml += "</folder></photogallery>";
    WriteFile(w.data(), xml);
    QElapsedTimer timer;
    timer.start();
    try {
        w.album.LoadFromXml(w.data());
        FAIL() << "a chain that deep is not an album";
    } catch (const XmlLoadError& e) {
        EXPECT_TRUE(e.message().contains("256")) << e.what();
        std::cerr << e.what() << "\n";
    }
    EXPECT_LT(timer.elapsed(), 10000);
    EXPECT_TRUE(w.album.Tree().IsEmpty());

    // Just under the limit loads, and saving numbers the chain in order.
    xml = "<photogallery><folder>";
    for (int i = 1; i <= TpaDataXmlReader::MaxGalleryDepth; ++i)
        xml += "<item id=\"" + QByteArray::number(i * 10) + "\" pid=\"" +
               QByteArray::number((i - 1) * 10) + "\"/>";
    xml += "</folder></photogallery>";
    WriteFile(w.data(), xml);
    w.album.LoadFromXml(w.data());
    w.album.SaveToXml(w.data());
    const QByteArray saved = ReadFile(w.data());
    EXPECT_TRUE(saved.contains("<item id=\"256\" pid=\"255\">"));
    TpaAlbum again;
    again.LoadFromXml(w.data());
    TpaTreeNode* deepest = again.FindGalleryNode(256);
    EXPECT_EQ(deepest->Depth(), 256);
    // The editor cannot build what the loader would refuse.
    EXPECT_FALSE(again.CanAddGallery(deepest));
    EXPECT_TRUE(again.CanAddGallery(deepest->Parent())) << "one level less is still fine";
    EXPECT_TRUE(again.CanAddPhoto(deepest));
}

TEST(AlbumData, SaveFailsLoudlyAndKeepsTheOldFile) {
    Work w;
    ExampleTree t(w.album);
    EXPECT_THROW(w.album.SaveToXml(w.dir.file("no/such/folder/data.xml")), FileError);
    QDir().mkpath(w.dir.file("taken.xml")); // a folder where the file should go
    EXPECT_THROW(w.album.SaveToXml(w.dir.file("taken.xml")), FileError);

    // A disk that fills up half-way through the save.
    w.album.SaveToXml(w.data());
    const QByteArray before = ReadFile(w.data());
    w.album.Tree().Root()->Item()->CaptionField()->Value = QString(200, u'x');
    {
        const testsupport::FileSizeCap cap(before.size() + 100);
        EXPECT_THROW(w.album.SaveToXml(w.data()), FileError);
    }
    EXPECT_EQ(ReadFile(w.data()), before);
}

TEST(AlbumData, LimitsFollowTheTemplateLevels) {
    TempFolder dir;
    WriteFile(dir.file("album.xml"), R"(<setting>
        <level id="0" maxfolders="2"/><level id="1" maxphotos="3"/></setting>)");
    WriteFile(dir.file("data.xml"), "<photogallery/>");
    TpaAlbum album;
    album.LoadFromXml(dir.file("data.xml"));
    TpaTreeNode* root = album.Tree().Root();
    EXPECT_TRUE(album.CanAddGallery(root));
    TpaTreeNode* g = Add(album, root, ikGallery, "G");
    Add(album, root, ikGallery, "H");
    EXPECT_FALSE(album.CanAddGallery(root)) << "maxfolders 2 reached";
    EXPECT_FALSE(album.CanAddGallery(g)) << "no level for depth 2";
    TpaTreeNode* photo = nullptr;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(album.CanAddPhoto(g));
        photo = Add(album, g, ikPhoto, "p");
    }
    EXPECT_FALSE(album.CanAddPhoto(g));
    EXPECT_FALSE(album.CanAddPhoto(photo)) << "a photo stands for its parent";
    EXPECT_FALSE(album.CanAddPhoto(nullptr));
    EXPECT_FALSE(album.CanAddGallery(photo));
    album.Tree().Remove(photo);
    EXPECT_TRUE(album.CanAddPhoto(g));

    WriteFile(dir.file("album.xml"), R"(<setting>
        <level id="0"/><level id="1"/><level id="*"/></setting>)");
    album.LoadFromXml(dir.file("data.xml"));
    TpaTreeNode* deep = Add(album, album.Tree().Root(), ikGallery, "G");
    EXPECT_TRUE(album.CanAddGallery(deep));
    EXPECT_EQ(album.Settings.Levels.FindLevel(0)->MaxPhotos, TpaAlbumSettingsLevel::NoLimit);
}

TEST(AlbumData, NamesAreFoundIgnoringCaseAndMadeUnique) {
    Work w;
    TpaTreeNode* root = Add(w.album, nullptr, ikAlbum, "<b>My</b> Album");
    Add(w.album, root, ikGallery, "Gallery 1");
    TpaTreeNode* g2 = Add(w.album, root, ikGallery, "gallery 2");
    EXPECT_EQ(w.album.MakeUniqueName("Gallery"), "Gallery 3");
    EXPECT_EQ(w.album.FindNodeByText("GALLERY 2"), g2);
    EXPECT_EQ(w.album.FindNodeByText("My Album"), root);
    EXPECT_EQ(w.album.FindNodeByText("nothing"), nullptr);
    EXPECT_EQ(w.album.GetAlbumName(), "My Album");
    TpaAlbum empty;
    EXPECT_EQ(empty.GetAlbumName(), "");
}

TEST(AlbumData, ItemsCopyTheLevelOfTheirDepthAndCarryValuesAcross) {
    Work w;
    TpaTreeNode* root = Add(w.album, nullptr, ikAlbum, "Album");
    TpaTreeNode* gallery = Add(w.album, root, ikGallery, "G");
    TpaTreeNode* top = Add(w.album, root, ikPhoto, "top photo");
    TpaTreeNode* inner = Add(w.album, gallery, ikPhoto, "inner photo");
    EXPECT_EQ(top->Item()->Level.Id, 0) << "a photo under the root copies level 0";
    EXPECT_EQ(gallery->Item()->Level.Id, TpaAlbumSettingsLevel::AnyDepth);
    EXPECT_EQ(inner->Item()->Level.Id, TpaAlbumSettingsLevel::AnyDepth);
    EXPECT_EQ(top->Item()->TextFields().Count(), 1) << "its values live in the photo part";
    EXPECT_EQ(inner->Item()->TextFields().Count(), 2);
    EXPECT_EQ(static_cast<TpaAlbumItem*>(root->Item())->PublishSize.Width, 800);

    // Moving the top photo into the gallery: values of shared field ids survive.
    TpaAlbumSettingsPhoto& from = top->Item()->Level.Photo;
    from.ImageFields.FindById(1)->Image.FileName = "pictavo_images/x.jpg";
    from.Link.Src = "http://x";
    from.Music.FileName = "m.mp3";
    auto moved = w.album.CreateItem(ikPhoto, gallery);
    moved->Level.Photo.AssignValues(from);
    EXPECT_EQ(moved->Level.Photo.TextFields.FindById(1)->Value, "top photo");
    EXPECT_EQ(moved->Level.Photo.TextFields.FindById(2)->Value, "") << "new field starts empty";
    EXPECT_EQ(moved->Level.Photo.ImageFields.FindById(1)->Image.FileName, "pictavo_images/x.jpg");
    EXPECT_EQ(moved->Level.Photo.Link.Src, "http://x");
    EXPECT_EQ(moved->Level.Photo.Music.FileName, "m.mp3");

    // A picture brought in from outside: decoded for its size, then made relative.
    ASSERT_TRUE(QImage(30, 20, QImage::Format_RGB32).save(w.dir.file("pictavo_images/new.jpg")));
    TpaImageInfo info;
    info.LoadFromFile(w.dir.file("pictavo_images/new.jpg"));
    EXPECT_EQ(info.Width, 30);
    EXPECT_EQ(info.Height, 20);
    EXPECT_EQ(info.ImageType, "JPEG");
    EXPECT_GT(info.Size, 0);
    info.MakeRelative(w.dir.path());
    EXPECT_EQ(info.FileName, "pictavo_images/new.jpg");
    WriteFile(w.dir.file("pictavo_images/cut.jpg"),
              ReadFile(w.dir.file("pictavo_images/new.jpg")).left(40));
    TpaImageInfo before = info;
    try {
        info.LoadFromFile(w.dir.file("pictavo_images/cut.jpg"));
        ADD_FAILURE() << "a cut-off JPEG does not decode";
    } catch (const PictureError& e) {
        EXPECT_TRUE(e.message().startsWith("JPEG error #")) << e.what();
    }
    EXPECT_EQ(info, before);
}

TEST(AlbumData, ATemplateWithALevelWithoutIdFailsTheAlbumLoad) {
    Work w;
    ExampleTree t(w.album);
    w.album.SaveToXml(w.data());
    WriteFile(w.dir.file("album.xml"), "<setting><level id=\"0\"/><level/></setting>");
    EXPECT_THROW(w.album.LoadFromXml(w.data()), ConversionError);
    EXPECT_TRUE(w.album.Tree().IsEmpty());
}

TEST(AlbumData, TruncatedFilesAndExternalEntitiesNeverHalfLoad) {
    Work w;
    ExampleTree t(w.album);
    w.album.SaveToXml(w.data());
    const QByteArray full = ReadFile(w.data());
    int loaded = 0;
    for (qsizetype cut = 0; cut < full.size(); cut += 23) {
        WriteFile(w.data(), full.left(cut));
        TpaAlbum album;
        try {
            album.LoadFromXml(w.data());
            ++loaded;
        } catch (const ModelError&) {
            EXPECT_TRUE(album.Tree().IsEmpty()) << cut;
        }
    }
    EXPECT_EQ(loaded, 0) << "no cut-off file is well-formed";

    WriteFile(w.dir.file("secret.txt"), "top secret");
    WriteFile(w.data(), "<?xml version=\"1.0\"?>\n<!DOCTYPE photogallery [\n"
                        "<!ENTITY leak SYSTEM \"file://" +
                            w.dir.file("secret.txt").toUtf8() +
                            "\">\n]>\n<photogallery><txt id=\"1\">&leak;</txt></photogallery>");
    try {
        w.album.LoadFromXml(w.data());
        const TpaTreeNode* root = w.album.Tree().Root();
        ASSERT_NE(root, nullptr);
        EXPECT_FALSE(root->Text().contains("secret"));
    } catch (const ModelError&) {
        EXPECT_TRUE(w.album.Tree().IsEmpty());
    }
}
