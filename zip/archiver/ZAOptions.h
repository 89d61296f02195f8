#pragma once

#include "zip/ZAConst.h"

#include <cstdint>

namespace zip {

// How the archiver searches, stores and extracts files.
class TZAOptions {
public:
    bool Recurse = true;
    TZAStorePathMode StorePath = TZAStorePathMode::spRelativePath;
    TZAFileShareMode ShareMode = TZAFileShareMode::smShareDenyNone;
    TZAOverwriteMode OverwriteMode = TZAOverwriteMode::omAlways;
    bool CreateDirs = true;
    bool ReplaceReadOnly = true;
    bool SetAttributes = true;
    uint32_t SearchAttr = kDefaultSearchAttr;
    bool FlushBuffers = true;
    bool OEMFileNames = true;

    // Copies every option but ShareMode, which stays as it is: the share mode belongs to the
    // archiver that opens the files, not to the settings handed over.
    void Assign(const TZAOptions& source) {
        StorePath = source.StorePath;
        Recurse = source.Recurse;
        OverwriteMode = source.OverwriteMode;
        CreateDirs = source.CreateDirs;
        ReplaceReadOnly = source.ReplaceReadOnly;
        SetAttributes = source.SetAttributes;
        SearchAttr = source.SearchAttr;
        FlushBuffers = source.FlushBuffers;
        OEMFileNames = source.OEMFileNames;
    }
};

} // namespace zip
