#pragma once

#include "app/FtpDefaults.h"

namespace model {
class TRecentItems;
class TpaAlbum;
} // namespace model

namespace zip {
class TZipArchiver;
}

namespace app {

class SettingsFile;

// The album side of the editor context: the document and what is kept with it between
// sessions. The main window provides it and owns everything reached through here.
class AlbumContext {
public:
    virtual ~AlbumContext() = default;

    // The open album (its tree is empty when none is open).
    virtual model::TpaAlbum& album() = 0;

    // The recent albums; after a change, the view side rebuilds their menus.
    virtual model::TRecentItems& recent() = 0;

    // "brimlogallery.ini", the FTP defaults read from it and the one archiver component.
    virtual SettingsFile& settingsFile() = 0;
    virtual FtpDefaults& ftpDefaults() = 0;
    virtual zip::TZipArchiver& archiver() = 0;
};

} // namespace app
