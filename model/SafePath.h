#pragma once

#include <QString>

namespace model {

// Whether a path taken from an album file may name a file inside the working
// folder: relative, no drive prefix, no "." or ".." component, no control
// characters. Both "/" and "\" count as separators.
bool IsSafeRelativePath(const QString& relative);

// Whether path, once cleaned, lies strictly inside folder. Every routine that
// deletes a file named by album data checks this first.
bool IsInsideFolder(const QString& folder, const QString& path);

// The last component of a path with "/" or "\" separators.
QString LastPathComponent(const QString& path);

} // namespace model
