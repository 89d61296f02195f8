#pragma once

#include <QString>

#include <functional>

namespace publish {

// Runs a handler of the publishing dialogs so that no exception leaves it: the error's text
// is shown in an error box, and the dialog stays where it was. False when one was caught.
bool guardedHandler(const std::function<void()>& handler);

// The error, warning, information and confirmation boxes of these dialogs, captioned with
// the application's name. confirm() is true for Yes only.
void showErrorBox(const QString& text);
void showWarningBox(const QString& text);
void showInformationBox(const QString& text);
bool confirm(const QString& text);

} // namespace publish
