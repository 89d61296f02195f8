#pragma once

#include "publish/PublishingValues.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace publish {

// The HTML code that embeds a published album into another page, made from an embed page
// template by filling in its three placeholders.
class EmbedCode {
public:
    // The template's lines, decoded as UTF-8 (a leading byte-order mark dropped), split at
    // CR, LF and CR LF. Throws model::FileError when the file cannot be read.
    static QStringList ReadTemplate(const QString& path);

    // Each line with the width, height and base-folder placeholders replaced, in that order,
    // exactly and case-sensitively, without rescanning what was put in. The values are
    // escaped for an HTML attribute, where the placeholders stand.
    static QStringList Fill(const QStringList& lines, const PublishingValues& values,
                            const QString& baseFolder);

    // The site address typed for full paths as the prefix of the base folder: trimmed, with
    // "/" appended unless it ends with one. nullopt when it holds a character that has no
    // place in an address (quotes, angle brackets, blanks, control characters).
    static std::optional<QString> FullPathPrefix(const QString& typed);

    static QString AttributeEscaped(const QString& text);
};

} // namespace publish
