#pragma once

#include <QString>

namespace app {

// File-dialog filters are kept as "Desc|*.a;*.b|Desc2|*.c" (the form language files carry)
// and turned into the form QFileDialog takes only when a dialog is shown.
class FilterString {
public:
    // "Desc (*.a *.b);;Desc2 (*.c)". A parenthesised pattern list at the end of a
    // description is replaced by the real patterns, since Qt reads its patterns from there.
    static QString toQt(const QString& vclFilter);

    // The first pattern of the filter at the 1-based index, e.g. "*.zip" -> used for the
    // default extension; empty when there is none.
    static QString pattern(const QString& vclFilter, int index);
};

} // namespace app
