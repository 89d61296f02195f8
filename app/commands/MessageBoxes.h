#pragma once

#include "app/l10n/SafeFormat.h"

#include "platform/sys/Prompts.h"

#include <QString>

namespace app {

// The message boxes of the editing commands: a numbered text of the language's "Messages"
// with its arguments, shown through the prompts service under the program's title.
namespace MessageBoxes {

QString message(int number, const QString& english, const QList<FormatArg>& args = {});
// A numbered text whose first whole-number argument is a count: for a count of one the text
// `oneNumber`, for any other count the text `number`, so that the words agree with it.
QString countMessage(int number, const QString& english, int oneNumber, const QString& englishOne,
                     const QList<FormatArg>& args);

// Any box under the program's title; the button the user pressed.
platform::PromptButton ask(platform::PromptKind kind, const QString& text,
                           const std::vector<platform::PromptButton>& buttons,
                           platform::PromptButton defaultButton);

// A question with Yes and No; only Yes counts. Where Yes destroys what cannot be undone, No is
// the default, so that Return does no harm.
bool confirm(const QString& text,
             platform::PromptButton defaultButton = platform::PromptButton::Yes);
// A warning with Yes and No; only Yes counts.
bool warnYesNo(const QString& text);
void inform(const QString& text);
void error(const QString& text);

} // namespace MessageBoxes

} // namespace app
