#pragma once

#include <QString>

namespace publish {

// What the editor hands to the publishing dialog after an album was published, and the
// dialog on to the embed wizard. Size texts are "100%" or "640"; folders end with "/".
struct PublishingValues {
    QString AlbumWidth;
    QString AlbumHeight;
    QString BaseFolder;        // "pictavo/"
    QString EmbedSymbol;       // the marker the wizard looks for
    QString EmbedPageFile;     // embed template with the activation script
    QString EmbedPageNoJsFile; // embed template without it: the one in use
    QString WidthToken;
    QString HeightToken;
    QString BaseFolderToken;
    QString PublishFolder;
};

} // namespace publish
