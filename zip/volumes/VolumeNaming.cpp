#include "zip/volumes/VolumeNaming.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sys/stat.h>

namespace zip {

namespace {

struct Parts {
    std::string Stem; // path and base name
    std::string Ext;  // from the last dot of the name part, or empty
};

Parts split(const std::string& fileName) {
    const size_t slash = fileName.rfind('/');
    const size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {fileName, {}};
    return {fileName.substr(0, dot), fileName.substr(dot)};
}

std::string numbered(const char* format, int32_t number) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, number);
    return buffer;
}

std::string withCase(std::string text, bool upper) {
    for (char& c : text)
        c = static_cast<char>(upper ? std::toupper(static_cast<unsigned char>(c))
                                    : std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void addCaseForms(std::vector<std::string>& out, const std::string& name) {
    const Parts parts = split(name);
    for (const std::string& candidate :
         {name, parts.Stem + withCase(parts.Ext, false), parts.Stem + withCase(parts.Ext, true)})
        if (std::find(out.begin(), out.end(), candidate) == out.end())
            out.push_back(candidate);
}

} // namespace

bool TZAVolumeNaming::IsSelfExtractingName(const std::string& fileName) {
    return withCase(split(fileName).Ext, false).find(".exe") != std::string::npos;
}

std::string TZAVolumeNaming::Name(const std::string& fileName, int32_t volume,
                                  const TZAVolumeNamingRules& rules) {
    const Parts parts = split(fileName);
    const bool splitting = rules.Mode == TZASpanningMode::smSplitting;
    // Readers elsewhere look for the volumes in the letter case of the archive's extension.
    const bool upper =
        withCase(parts.Ext, true) == parts.Ext && withCase(parts.Ext, false) != parts.Ext;
    if (volume < 0) {
        if (splitting && rules.SelfExtracting)
            return parts.Stem + withCase(rules.NativeFormat ? ".ZA" : ".ZIP", upper);
        return fileName;
    }
    const std::string advanced = "_" + numbered("%.3u", volume + 1);
    if (!splitting) {
        const std::string ext = rules.SelfExtracting ? std::string(".exe") : parts.Ext;
        return rules.AdvancedNaming ? parts.Stem + advanced + ext : parts.Stem + ext;
    }
    if (volume == 0 && rules.SelfExtracting)
        return parts.Stem + ".exe";
    if (rules.AdvancedNaming)
        return parts.Stem + advanced + parts.Ext;
    // Readers elsewhere look for the volumes in the letter case of the archive's extension.
    return parts.Stem +
           withCase(std::string(rules.NativeFormat ? ".F" : ".Z") + numbered("%.2d", volume + 1),
                    upper);
}

std::vector<std::string> TZAVolumeNaming::CaseForms(const std::string& name) {
    std::vector<std::string> out;
    addCaseForms(out, name);
    return out;
}

std::vector<std::string> TZAVolumeNaming::Candidates(const std::string& fileName, int32_t volume,
                                                     const TZAVolumeNamingRules& rules) {
    std::vector<std::string> out;
    addCaseForms(out, Name(fileName, volume, rules));
    if (rules.Mode == TZASpanningMode::smSplitting && volume == 0 && !rules.SelfExtracting) {
        // Opened by its last volume, a self-extracting set does not show what it is.
        TZAVolumeNamingRules sfx = rules;
        sfx.SelfExtracting = true;
        addCaseForms(out, Name(fileName, volume, sfx));
    }
    if (rules.Mode == TZASpanningMode::smSpanning && volume >= 0) {
        TZAVolumeNamingRules other = rules;
        other.AdvancedNaming = !rules.AdvancedNaming;
        addCaseForms(out, Name(fileName, volume, other));
    }
    return out;
}

std::string TZAVolumeNaming::Existing(const std::string& fileName, int32_t volume,
                                      const TZAVolumeNamingRules& rules) {
    for (const std::string& candidate : Candidates(fileName, volume, rules))
        if (isFile(candidate))
            return candidate;
    return Name(fileName, volume, rules);
}

} // namespace zip
