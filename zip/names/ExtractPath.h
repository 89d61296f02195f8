#pragma once

#include <optional>
#include <string>

namespace zip {

// The one check every extraction runs before a stored name touches the file system. A name
// is taken only when it stays below the destination folder: it may not be absolute, start
// with a drive ("C:"), hold a ".." component, a NUL or other control byte, or a component
// longer than 255 bytes. "/" and "\" both separate components; "." and empty components are
// dropped.
class TZAExtractPath {
public:
    static constexpr size_t MaxComponent = 255;
    static constexpr size_t MaxPath = 4096;

    // The name as a relative path with "/" separators (empty for a name that names the
    // destination itself), or nullopt when it is unsafe.
    static std::optional<std::string> Relative(const std::string& storedName);

    // Creates destination + relativeFolder one component at a time, refusing to pass through
    // anything that is not a real folder (a symbolic link could lead out of the destination).
    // destination itself is created with its parents. False when that fails.
    static bool CreateFolders(const std::string& destination, const std::string& relativeFolder);
};

} // namespace zip
