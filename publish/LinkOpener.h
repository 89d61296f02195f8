#pragma once

#include <QString>

namespace publish {

// Opens what a link of the publishing dialogs names: a local file or folder that exists, or
// an http or https address. Anything else is not opened. False when nothing was opened.
bool openLink(const QString& target);

} // namespace publish
