#pragma once

// Text routines for names and paths. They keep no state between calls.

#include <QByteArray>
#include <QString>

namespace model {

// Turn every "/" into "\" and back; for paths that must cross into or out of "\" form.
QString SlashToBackslash(const QString& path);
QString BackslashToSlash(const QString& path);

// `name` without / \ < > * ? : | and the double quote. Every other character stays.
QString RemoveInvalidFileNameChars(const QString& name);

// `text` without its markup: each ">" that has a "<" before it removes the span from the
// nearest such "<" to itself. "a<b>c" gives "ac", "x<y<z>w" gives "x<yw", "a>b<c" stays.
QString StripTags(const QString& text);

// A file name's bytes as text a user can read and tell apart: valid UTF-8 is decoded, and
// every byte that is not part of it, and every control character, is written as \xHH.
QString VisibleFileName(const QByteArray& bytes);

} // namespace model
