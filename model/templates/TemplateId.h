#pragma once

#include <QString>

namespace model {

// Template ids name folders of the template library and take part in archive masks, and they
// come from packages and album files we do not trust.

// Whether id may name a template folder: not empty, at most 100 characters, one plain path
// component that does not begin with "." (a hidden folder, as the installer's own staging
// folders are), no / \ : * ? " < > | and no control characters.
bool IsValidTemplateId(const QString& id);

// Whether two ids are the same template: letter case is ignored for ASCII letters only, so
// the answer never depends on the user's locale.
bool SameTemplateId(const QString& a, const QString& b);

// The folder of the template in the library, ending with "/": the sub-folder of
// templatesFolder named id, or, when there is none, the first one (sorted by name) whose name
// is the same id ignoring case. Empty when the id is not valid or no such folder exists.
QString FindTemplateFolder(const QString& templatesFolder, const QString& id);

} // namespace model
