// The cost of one preview refresh ("data.xml" and "index.html" rewritten in the working
// folder) for an album of 2,000 photos, and how many refreshes a burst of edits costs once
// the window coalesces them: typing 40 characters, 50 ms apart, should cost one refresh after
// the pause, not 40.
//
// Run by hand: build/bin/refresh_bench

#include "app/pages/PreviewRefreshCoalescer.h"

#include "model/document/Album.h"
#include "model/items/AlbumItem.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace model;

namespace {

const char* kAlbumXml = R"(<setting id="bench" width="800" height="600">
  <level id="*" caption="1"><txt id="1">Title</txt><txt id="2">Text</txt><src id="1" w="200" h="150"/>
    <music>Music</music><access>Password</access>
    <photo show="1" caption="1"><txt id="1">Title</txt><txt id="2">Text</txt>
      <src id="1" w="640" h="480"/><src id="2" thumb="1" w="100" h="75"/><music>M</music><link>L</link></photo>
  </level>
</setting>)";

const char* kPage = "<html><title>%_ALBUM_NAME_%</title><body>%_album_width_% x "
                    "%_album_height_% %_album_base_folder_%index.swf</body></html>";

bool writeFile(const QString& path, const char* text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(text) > 0;
}

void Fill(TpaAlbum& album, int galleries, int photosPerGallery) {
    TpaTreeNode* root = album.Tree().Append(nullptr, album.CreateItem(ikAlbum, nullptr));
    root->Item()->CaptionField()->Value = QStringLiteral("<font size=\"18\">Bench</font>");
    for (int g = 0; g < galleries; ++g) {
        TpaTreeNode* gallery = album.Tree().Append(root, album.CreateItem(ikGallery, root));
        gallery->Item()->CaptionField()->Value = QStringLiteral("Gallery %1").arg(g + 1);
        for (int p = 0; p < photosPerGallery; ++p) {
            TpaTreeNode* photo = album.Tree().Append(gallery, album.CreateItem(ikPhoto, gallery));
            TpaItem* item = photo->Item();
            item->CaptionField()->Value = QStringLiteral("Photo %1").arg(p);
            item->TextFields().FindById(2)->Value = QStringLiteral("Day %1 of the trip").arg(p);
            TpaImageInfo& image = item->ImageFields().FindById(1)->Image;
            image.FileName = QStringLiteral("pictavo_images/img_%1_%2.jpg").arg(g).arg(p);
            image.Width = 640;
            image.Height = 427;
        }
    }
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    if (!writeFile(folder + "album.xml", kAlbumXml) || !writeFile(folder + "page.html", kPage))
        return 1;
    TpaAlbum album;
    album.Settings.LoadFromFile(folder + "album.xml");
    Fill(album, 20, 100);

    int refreshes = 0;
    auto refresh = [&] {
        album.SaveToXml(folder + "data.xml");
        album.WriteIndexHtml(folder + "index.html", folder + "page.html", QString());
        ++refreshes;
    };
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        QElapsedTimer timer;
        timer.start();
        refresh();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("one refresh, 2000 photos: median %.1f ms, best %.1f ms, data.xml %lld bytes\n",
                times[times.size() / 2], times.front(),
                static_cast<long long>(QFile(folder + "data.xml").size()));

    refreshes = 0;
    app::PreviewRefreshCoalescer coalescer(refresh, nullptr);
    QElapsedTimer burst;
    burst.start();
    for (int key = 0; key < 40; ++key) {
        album.Tree().Root()->Item()->CaptionField()->Value += u'x';
        coalescer.request();
        QThread::msleep(50);
        QCoreApplication::processEvents();
    }
    while (coalescer.pending())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("40 keystrokes 50 ms apart: %d refresh(es), %.0f ms in all\n", refreshes,
                burst.nsecsElapsed() / 1e6);
    return refreshes == 1 ? 0 : 1;
}
