#pragma once

#include <QStandardPaths>
#include <QString>

namespace platform {

// The per-user folders of the desktop, each with "/" at the end, or "" when the desktop has
// none. They follow the XDG variables ($XDG_DATA_HOME, $XDG_CONFIG_HOME, user-dirs.dirs).

// Where per-user application data goes: $XDG_DATA_HOME, else ~/.local/share.
QString appDataFolder();
// The user's pictures folder.
QString picturesFolder();
// Where per-user settings files go: $XDG_CONFIG_HOME, else ~/.config.
QString configFolder();
// Any other standard location, in the same form.
QString standardFolder(QStandardPaths::StandardLocation location);

} // namespace platform
