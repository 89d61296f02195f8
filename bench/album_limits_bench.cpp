// Save and load of albums at the size limits the model accepts: a template whose levels hold
// the most fields, and an album with the most items. Each case runs in a child process so that
// its peak memory is its own.
//
// Run by hand: build/bin/album_limits_bench

#include "model/AlbumLimits.h"
#include "model/Errors.h"
#include "model/document/Album.h"
#include "model/items/Item.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>

using namespace model;

namespace {

QByteArray Fields(int count, bool thumb) {
    QByteArray out;
    for (int i = 1; i <= count; ++i)
        out += "<txt id=\"" + QByteArray::number(i) + "\">Text " + QByteArray::number(i) + "</txt>";
    for (int i = 1; i <= count; ++i)
        out += "<src id=\"" + QByteArray::number(i) + "\" w=\"640\" h=\"480\"" +
               (thumb && i == count ? " thumb=\"1\"" : "") + "/>";
    return out;
}

QByteArray Template(int fields) {
    const QByteArray level = "caption=\"1\">" + Fields(fields, false) +
                             "<music>Music</music><access>Password</access><photo caption=\"1\">" +
                             Fields(fields, true) +
                             "<music>M</music><link>L</link></photo></level>";
    return "<setting id=\"bench\" width=\"800\" height=\"600\"><level id=\"0\" " + level +
           "<level id=\"*\" " + level + "</setting>";
}

long PeakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// One case: galleries below the root, each holding photos; every text field filled.
int RunCase(const QString& folder, int fields, int galleries, int photos) {
    QFile settings(folder + "album.xml");
    if (!settings.open(QIODevice::WriteOnly) || settings.write(Template(fields)) < 0)
        return 1;
    settings.close();
    TpaAlbum album;
    album.Settings.LoadFromFile(folder + "album.xml");
    if (photos < 0) // as many as the template allows
        photos = (album.Settings.MaxItems() - galleries) / galleries;
    TpaTreeNode* root = album.Tree().Append(nullptr, album.CreateItem(ikAlbum, nullptr));
    for (int g = 0; g < galleries; ++g) {
        TpaTreeNode* gallery = album.Tree().Append(root, album.CreateItem(ikGallery, root));
        for (int p = 0; p < photos; ++p) {
            TpaTreeNode* photo = album.Tree().Append(gallery, album.CreateItem(ikPhoto, gallery));
            for (const auto& field : photo->Item()->TextFields().Items)
                field->Value = QStringLiteral("Photo %1.%2").arg(g).arg(p);
        }
    }
    QElapsedTimer timer;
    timer.start();
    album.SaveToXml(folder + "data.xml");
    const double saveMs = timer.nsecsElapsed() / 1e6;
    TpaAlbum loaded;
    loaded.Settings.LoadFromFile(folder + "album.xml");
    timer.restart();
    try {
        loaded.LoadFromXml(folder + "data.xml");
    } catch (const ModelError& e) {
        std::printf("%7d %9d %7d %9.1f  refused: %s\n", fields, galleries, photos, saveMs,
                    e.what());
        return 0;
    }
    const double loadMs = timer.nsecsElapsed() / 1e6;
    std::printf("%7d %9d %7d %9.1f %9.1f %9ld %10lld\n", fields, galleries, photos, saveMs, loadMs,
                PeakKb() / 1024, static_cast<long long>(QFile(folder + "data.xml").size()));
    return loaded.Tree().NodeCount() == album.Tree().NodeCount() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    std::printf("%7s %9s %7s %9s %9s %9s %10s\n", "fields", "galleries", "photos", "save ms",
                "load ms", "peak MB", "bytes");
    struct Case {
        int fields, galleries, photos; // fields per field list; photos -1: up to the limit
    };
    const Case cases[] = {
        {8, 100, -1},              // a rich real template, most items
        {kMaxLevelFields, 10, -1}, // the widest template, most items
        {1, kMaxAlbumItems, 0},    // only galleries, at the limit
        {1, 200000, 0},            // beyond the limit: refused
    };
    if (argc > 1) { // one case in this process, for a profiler
        const Case& c = cases[std::atoi(argv[1]) % std::size(cases)];
        return RunCase(folder, c.fields, c.galleries, c.photos);
    }
    int failed = 0;
    for (const Case& c : cases) {
        std::fflush(stdout);
        const pid_t child = fork();
        if (child == 0) {
            const int result = RunCase(folder, c.fields, c.galleries, c.photos);
            std::fflush(stdout);
            _exit(result);
        }
        int status = 0;
        waitpid(child, &status, 0);
        failed += !WIFEXITED(status) || WEXITSTATUS(status) != 0;
    }
    return failed;
}
