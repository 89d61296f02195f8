#pragma once

#include <QString>

#include <functional>

namespace publish {

// Runs a handler so that no exception leaves it: the error's text (for a throw that is no
// std::exception, message 200 "Unknown error"; a full disk, diskFullText()) goes to `report`, and
// the caller stays where it was. False when one was caught. The one guard of every dialog and
// command.
bool runGuarded(const std::function<void()>& handler,
                const std::function<void(const QString&)>& report);

// What the user reads when a file could not be written for want of room: the disk named as
// full, in their language (a short write alone would leave "Unknown error").
QString diskFullText(const QString& path);

// runGuarded() for the publishing dialogs, reporting in their error box.
bool guardedHandler(const std::function<void()>& handler);

// The error, warning, information and confirmation boxes of these dialogs, captioned with
// the application's name. confirm() is true for Yes only.
void showErrorBox(const QString& text);
void showWarningBox(const QString& text);
void showInformationBox(const QString& text);
bool confirm(const QString& text);

} // namespace publish
