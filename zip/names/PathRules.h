#pragma once

#include "zip/ZAConst.h"

#include <string>

namespace zip {

// The path rules of the archiver on a file system with "/" as its only separator: ":" and
// "\" are ordinary characters in disk names, and paths are expanded lexically (links are
// not resolved).
class TZAPathRules {
public:
    static std::string IncludeTrailingSlash(const std::string& folder);
    static std::string ExcludeTrailingSlash(const std::string& folder);

    // The full path of name against folder (the current folder when folder is empty).
    static std::string FullPath(const std::string& name, const std::string& folder);

    // The name a file or folder at path is stored under, relative to base, by mode; "/"
    // separators, no leading "/". A path outside base is stored with its full path.
    static std::string StoredName(const std::string& path, const std::string& base,
                                  TZAStorePathMode mode);

    // Removes the empty folders of a tree, deepest first, never following links; true when
    // the folder is gone afterwards. Files are never deleted.
    static bool RemoveFolderTree(const std::string& folder);

    // True when the file system holding path reports a removable device.
    static bool IsRemovable(const std::string& path);
};

} // namespace zip
