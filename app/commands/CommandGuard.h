#pragma once

#include <QString>

#include <exception>
#include <functional>

class QAction;
class QObject;

namespace app {

// Runs one command or handler so that no exception leaves it: an error is shown the way the
// application's default handler shows it (an error box with OK and the error's text). The
// busy sections of the command have ended by then, since they unwind first.
// Returns false when an exception was caught.
bool guarded(const std::function<void()>& command);

// Runs `command` through guarded() each time the action is triggered, for as long as
// `receiver` lives.
void onTriggered(QAction* action, QObject* receiver, std::function<void()> command);

// The error box of the default handler.
void showError(const QString& text);

// The text of an error met while reading the user's file: the file first, then what failed. A
// file that could not be written for want of room is named as such instead (message 308), in
// the user's language.
QString fileFailureText(const QString& file, const std::exception& error);

// The system's error number (errno) that an error of the archive engine carries from the call
// that failed; 0 for any other error.
int systemErrorOf(const std::exception& error);

} // namespace app
