#pragma once

#include "model/FileRoutines.h"

#include <QStringList>

namespace model {

// The extensions a folder import looks for, lower case with their dot.
QStringList PictureExtensions();

// Appends every picture file under `folder` (extension in PictureExtensions(), letter case
// ignored): each folder's files in name order ignoring case, then its sub-folders in the same
// order, each searched the same way. Hidden entries are searched too; a link to a folder is
// never descended into, so a link loop ends. Each folder is reported before its files, then
// the pump runs. False when `cancelled` stopped the search; what was found stays in `results`.
// Entries whose names are not valid UTF-8 cannot be opened by name: the picture files and the
// folders among them (folders with "/" appended) go to `unreadable`, when given, named by
// VisibleFileName, in each folder's name order.
bool FindPictureFiles(const QString& folder, QStringList& results,
                      const FileProgress& callbacks = {}, QStringList* unreadable = nullptr);

} // namespace model
