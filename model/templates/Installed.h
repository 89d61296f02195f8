#pragma once

#include "model/templates/PackageItemList.h"

namespace model {

// What the template library holds: the installed packages and templates, kept in
// "installed.xml".
class TpaInstalled {
public:
    TpaPackageItemList Packages;
    TpaTemplateItemList Templates;

    // Reads an "installed.xml": nothing without the root "installed"; a list whose element is
    // absent keeps its records. Throws XmlLoadError for a missing or malformed file.
    void LoadFromFile(const QString& path);
    // Writes the file atomically (TAB indents, CR LF, UTF-8, the generator comment on the
    // second line). Throws FileError and leaves the old file as it was when that fails.
    void SaveToFile(const QString& path) const;
    // The text SaveToFile writes.
    QByteArray Render() const;
};

} // namespace model
