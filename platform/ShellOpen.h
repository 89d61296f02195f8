#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace platform {

// Opens a page, a folder, a file or a link with the desktop's default program. Leading and
// trailing characters below code 33 are trimmed; a blank target does nothing. An existing
// path opens as a local file, anything else as what the user would type into a browser.
// Never goes through a command shell. False when nothing was opened.
bool shellOpen(const QString& target);

// The URL shellOpen hands to the desktop for `target`; empty for a blank target.
QUrl shellOpenUrl(const QString& target);

// Tests install a hook that receives the URLs instead of the desktop; an empty hook restores
// the desktop. Returns the hook that was installed before.
using ShellOpenHook = std::function<bool(const QUrl&)>;
ShellOpenHook setShellOpenHook(ShellOpenHook hook);

} // namespace platform
