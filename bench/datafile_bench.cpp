// Load and save times of "data.xml" for albums of growing size: 100 galleries
// holding 2,500 to 20,000 photos. Both should stay well under a second for
// 10,000 photos and grow in proportion to the number of items.
//
// Run by hand: build/bin/datafile_bench

#include "model/document/Album.h"
#include "model/items/AlbumItem.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

using namespace model;

namespace {

const char* kAlbumXml = R"(<setting id="bench" width="800" height="600">
  <level id="0" caption="1"><txt id="1">Title</txt><txt id="2">Text</txt><src id="1" w="800" h="600"/>
    <music>Music</music><access>Password</access>
    <photo show="1" caption="1"><txt id="1">Title</txt><txt id="2">Text</txt>
      <src id="1" w="640" h="480"/><src id="2" thumb="1" w="100" h="75"/><music>M</music><link>L</link></photo>
  </level>
  <level id="*" caption="1"><txt id="1">Title</txt><txt id="2">Text</txt><src id="1" w="200" h="150"/>
    <music>Music</music><access>Password</access>
    <photo show="1" caption="1"><txt id="1">Title</txt><txt id="2">Text</txt>
      <src id="1" w="640" h="480"/><src id="2" thumb="1" w="100" h="75"/><music>M</music><link>L</link></photo>
  </level>
</setting>)";

void Fill(TpaAlbum& album, int galleries, int photosPerGallery) {
    TpaTreeNode* root = album.Tree().Append(nullptr, album.CreateItem(ikAlbum, nullptr));
    root->Item()->CaptionField()->Value =
        QStringLiteral("<font size=\"18\">Benchmark album</font>");
    for (int g = 0; g < galleries; ++g) {
        TpaTreeNode* gallery = album.Tree().Append(root, album.CreateItem(ikGallery, root));
        gallery->Item()->CaptionField()->Value = QStringLiteral("Gallery %1").arg(g + 1);
        for (int p = 0; p < photosPerGallery; ++p) {
            TpaTreeNode* photo = album.Tree().Append(gallery, album.CreateItem(ikPhoto, gallery));
            TpaItem* item = photo->Item();
            item->CaptionField()->Value = QStringLiteral("Photo %1 & more <b>text</b>").arg(p);
            item->TextFields().FindById(2)->Value =
                QStringLiteral("Taken on day %1 ]]> of the trip").arg(p);
            TpaImageInfo& image = item->ImageFields().FindById(1)->Image;
            image.FileName = QStringLiteral("pictavo_images/img_%1_%2.jpg").arg(g).arg(p);
            image.Width = 640;
            image.Height = 427;
            item->Level.Photo.Link.Src = QStringLiteral("http://example.com/%1").arg(p);
        }
    }
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    {
        QFile f(folder + "album.xml");
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(kAlbumXml);
    }
    std::printf("%8s %10s %10s %10s\n", "photos", "bytes", "save ms", "load ms");
    for (int photos : {2500, 5000, 10000, 20000}) {
        TpaAlbum album;
        album.Settings.LoadFromFile(folder + "album.xml");
        Fill(album, 100, photos / 100);
        QElapsedTimer timer;
        timer.start();
        album.SaveToXml(folder + "data.xml");
        const double saveMs = timer.nsecsElapsed() / 1e6;
        TpaAlbum loaded;
        timer.restart();
        loaded.LoadFromXml(folder + "data.xml");
        const double loadMs = timer.nsecsElapsed() / 1e6;
        if (loaded.Tree().NodeCount() != album.Tree().NodeCount()) {
            std::fprintf(stderr, "reloaded album differs\n");
            return 1;
        }
        std::printf("%8d %10lld %10.1f %10.1f\n", photos,
                    static_cast<long long>(QFile(folder + "data.xml").size()), saveMs, loadMs);
    }
    return 0;
}
