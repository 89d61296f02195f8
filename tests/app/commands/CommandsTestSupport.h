#pragma once

// An album for the command tests: a root level whose photos have main images 1 and 3, and a
// gallery level "Event" (room for `maxFolders` galleries and `maxPhotos` photos) whose photos
// have main image 1 and its reduced copy 2. Pictures are made at test time.

#include "tests/app/AppTestSupport.h"

#include "app/pages/AlbumTreeModel.h"

#include "model/tree/TreeNode.h"

#include <QCoreApplication>
#include <QTreeView>

namespace commandtest {

inline void loadAlbum(app::TfrmMain& w, int maxFolders, int maxPhotos,
                      const QString& levelName = QStringLiteral("Event")) {
    const QString preview = model::Folders().PreviewFolder;
    apptest::writeText(preview + "album.xml", QStringLiteral(
                                                  R"(<?xml version="1.0" encoding="UTF-8"?>
<setting id="t" width="800" height="600">
 <level id="0" caption="1" name="Album" maxfolders="%2" maxphotos="50">
  <txt id="1">Album title</txt>
  <photo name="Photo" show="1" caption="1">
   <txt id="1">Title</txt>
   <src id="1" w="640" h="480">Photo</src>
   <src id="3" w="320" h="240">Small</src>
  </photo>
 </level>
 <level id="*" caption="1" name="%1" maxfolders="%2" maxphotos="%3">
  <txt id="1">Gallery title</txt>
  <photo name="Photo" show="1" caption="1">
   <txt id="1">Title</txt>
   <txt id="2">Description</txt>
   <src id="1" w="640" h="480">Photo</src>
   <src id="2" thumb="1" w="100" h="75">Thumbnail</src>
  </photo>
 </level>
</setting>
)")
                                                  .arg(levelName)
                                                  .arg(maxFolders)
                                                  .arg(maxPhotos)
                                                  .toUtf8());
    apptest::writeText(preview + "data.xml",
                       R"(<?xml version="1.0"?>
<photogallery defaultfolder="0" width_scale="100" width_pixel="800" width_metric="0" height_scale="100" height_pixel="600" height_metric="0" constrain_proportions="1">
	<txt id="1"><![CDATA[My Album]]></txt>
	<folder/>
	<photo/>
</photogallery>
)");
    w.album().LoadFromXml(preview + "data.xml");
    w.selectNode(w.album().Tree().Root());
    QCoreApplication::processEvents();
}

// A JPEG of the size at path; returns the path.
inline QString picture(const QString& path, int width = 64, int height = 48) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    image.save(path, "JPEG");
    return path;
}

inline QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

inline QStringList childTexts(const model::TpaTreeNode* node) {
    QStringList texts;
    for (int i = 0; node && i < node->ChildCount(); ++i)
        texts << node->Child(i)->Text();
    return texts;
}

// Every photo below node has a show-field file that exists.
inline bool everyPhotoHasItsFile(const model::TpaTreeNode* node) {
    for (const model::TpaTreeNode* n = node; n; n = n->NextInPreOrder(node)) {
        if (!n->IsPhoto())
            continue;
        const auto& photo = n->Item()->Level.Photo;
        const auto* shown = photo.ImageFields.FindById(photo.Show);
        if (!shown || shown->Image.FileName.isEmpty() ||
            !QFileInfo(model::Folders().PreviewFolder + shown->Image.FileName).isFile())
            return false;
    }
    return true;
}

} // namespace commandtest
