#pragma once

#include <string>
#include <vector>

#include "zip/archiver/UnpackLimits.h"

namespace zip {

class Stream;
class TZABaseArchiver;

// The four jobs the rest of the program runs through the archiver. Each returns true only
// when the whole job was done: a cancel, an abort or a member left out gives false (the
// archiver's LastOutcome() tells which, with the last failure's message). An archive without
// a usable end record (a truncated file) is read through a directory rebuilt from its local
// headers: every member found is still extracted, but the result is false and
// LastOutcome().Recovered is set, so that the caller can warn that members may be missing.

// The members an album save stores as they are (the archiver's NoCompressionMasks): pictures,
// music and Flash files are compressed already, and deflating them takes most of a save for
// nothing.
const std::vector<std::string>& AlbumNoCompressionMasks();

// Packs every file and folder below folder into zipFile. The archive is written beside
// zipFile under a temporary name and renamed over it only when complete, so a failed,
// cancelled or aborted save leaves an existing zipFile exactly as it was. Engine errors are
// raised after the temporary file is removed: a folder that does not exist raises error 15, a
// read-only zipFile error 23, and a folder below folder that cannot be read error 33 (its
// files would otherwise be missing from the archive).
bool ZipFolder(TZABaseArchiver& archiver, const std::string& folder, const std::string& zipFile);

// Unpacks every member of zipFile into folder, within limits. A missing zipFile raises error 12
// (nothing is created); members that share data raise error 64 and claimed sizes over the
// limits error 65, both before anything is written; other engine errors are raised as well.
bool UnzipAll(TZABaseArchiver& archiver, const std::string& zipFile, const std::string& folder,
              const TZAUnpackLimits& limits = {});

// Extracts one member (found by exact name, else ignoring letter case in the archive's root)
// into stream. Any failure gives false.
bool UnzipFileToStream(TZABaseArchiver& archiver, const std::string& zipFile,
                       const std::string& memberName, Stream& stream);

// Unpacks the members matching mask (such as "template\*.*") into folder, within limits
// (checked as by UnzipAll). Any failure, and a mask that matches no member, gives false.
bool UnzipByMask(TZABaseArchiver& archiver, const std::string& zipFile, const std::string& folder,
                 const std::string& mask, const TZAUnpackLimits& limits = {});

} // namespace zip
