#pragma once
// File names of the volumes of an archive that lives in several files.

#include <cstdint>
#include <string>
#include <vector>

#include "zip/ZAConst.h"

namespace zip {

struct TZAVolumeNamingRules {
    TZASpanningMode Mode = TZASpanningMode::smSplitting;
    bool AdvancedNaming = true;
    bool SelfExtracting = false; // the archive has or gets a self-extracting stub
    bool NativeFormat = false;   // the engine's own format (".F01", ".ZA")
};

class TZAVolumeNaming {
public:
    // Name of volume `volume` (0-based; -1 the last volume) of the archive `fileName`.
    // Split: "a_001.zip" with advanced naming, else "a.z01" ("A.Z01" beside "A.ZIP": the
    // letter case of the archive's extension); the last is "a.zip" itself.
    // Spanned: every disk carries the same name, or "a_001.zip" with advanced naming.
    static std::string Name(const std::string& fileName, int32_t volume,
                            const TZAVolumeNamingRules& rules);

    // Names to look for when reading, most likely first: the name, then the same with its
    // extension in the other letter case (other writers use ".z01"), then the stub of a
    // self-extracting split set for volume 0, and for a spanned volume the other naming.
    static std::vector<std::string> Candidates(const std::string& fileName, int32_t volume,
                                               const TZAVolumeNamingRules& rules);

    // The first candidate that exists as a file, or the name itself when none does.
    static std::string Existing(const std::string& fileName, int32_t volume,
                                const TZAVolumeNamingRules& rules);

    // The name, then the same with its extension in lower case and in upper case (each once).
    static std::vector<std::string> CaseForms(const std::string& name);

    // True when the lower-cased extension of the name contains ".exe".
    static bool IsSelfExtractingName(const std::string& fileName);
};

} // namespace zip
