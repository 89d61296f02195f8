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

// Whether a path from an album file names a picture of the working copy: a safe relative
// path below "pictavo_images/" or "pictavo_thumbs/". Anything else in the working folder
// (the template's own files, "album.xml", "data.xml") is never an item's picture.
bool IsPictureAssetPath(const QString& relative);

// Whether name is a plain file name (no folder part) that IsSafeRelativePath accepts; the
// music of an item is such a name in "pictavo_music/".
bool IsPlainFileName(const QString& name);

// The last component of a path with "/" or "\" separators.
QString LastPathComponent(const QString& path);

} // namespace model
