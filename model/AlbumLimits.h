#pragma once

// Sizes beyond which an "album.xml" or a "data.xml" is refused as unusable. Every item keeps
// its own copy of its level's fields, so the memory an album takes grows with items times
// fields; the limits keep the worst file well below a gigabyte while staying far above any
// real template (under 30 fields per level) and album (thousands of photos).

namespace model {

// Text fields, and separately image fields, that one level or its photo part may define.
inline constexpr int kMaxLevelFields = 256;

// Galleries and photos in one album.
inline constexpr int kMaxAlbumItems = 50000;

// Field copies over all items: each item counts the fields of its level and photo part.
inline constexpr long long kMaxItemFields = 1000000;

// Bytes of "data.xml": every field copy of the largest album at 128 bytes of markup and value
// on average, where a real album's file holds a few megabytes. Loading reads the file whole, so
// this also bounds the memory a load takes.
inline constexpr long long kMaxDataXmlBytes = kMaxItemFields * 128;

// Bytes of "album.xml": 16 levels, each with the most text and image fields for itself and for
// its photo part, at 1 KiB per field definition. Real templates take a few kilobytes.
inline constexpr long long kMaxAlbumXmlBytes = 16LL * 4 * kMaxLevelFields * 1024;

} // namespace model
