#pragma once

#include "app/l10n/SafeFormat.h"

#include <QString>

namespace app {

// The message boxes of the editing commands: a numbered text of the language's "Messages"
// with its arguments, shown through the prompts service under the program's title.
namespace MessageBoxes {

QString message(int number, const QString& english, const QList<FormatArg>& args = {});

// A question with Yes and No; only Yes counts.
bool confirm(const QString& text);
// A warning with Yes and No; only Yes counts.
bool warnYesNo(const QString& text);
void inform(const QString& text);
void error(const QString& text);

} // namespace MessageBoxes

} // namespace app
