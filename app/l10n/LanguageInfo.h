#pragma once

#include <QString>

namespace app {

// One installed language: its id (also the name of its subfolder), the name shown to the
// user, the full path of its "Language.xml" and that file's folder ("/"-ended).
struct TLanguageInfo {
    QString Id;
    QString Display;
    QString File;
    QString Folder;

    void Clear() {
        Id.clear();
        Display.clear();
        File.clear();
        Folder.clear();
    }
    void Assign(const TLanguageInfo* source) {
        if (source)
            *this = *source;
    }
    bool operator==(const TLanguageInfo&) const = default;
};

} // namespace app
