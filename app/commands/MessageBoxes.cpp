#include "app/commands/MessageBoxes.h"

#include "app/ProductInfo.h"
#include "app/l10n/Localization.h"

#include "platform/sys/Prompts.h"

namespace app::MessageBoxes {

using platform::PromptButton;
using platform::PromptKind;

PromptButton ask(PromptKind kind, const QString& text, const std::vector<PromptButton>& buttons,
                 PromptButton defaultButton) {
    return platform::prompts().message(kind, ProductInfo::title().toStdString(), text.toStdString(),
                                       buttons, defaultButton);
}

QString message(int number, const QString& english, const QList<FormatArg>& args) {
    return Localization().Format(TextKind::Messages, number, english, args);
}

QString countMessage(int number, const QString& english, int oneNumber, const QString& englishOne,
                     const QList<FormatArg>& args) {
    for (const FormatArg& arg : args) {
        if (const qlonglong* count = std::get_if<qlonglong>(&arg))
            return *count == 1 ? message(oneNumber, englishOne, args)
                               : message(number, english, args);
    }
    return message(number, english, args);
}

bool confirm(const QString& text, PromptButton defaultButton) {
    return ask(PromptKind::Confirmation, text, {PromptButton::Yes, PromptButton::No},
               defaultButton) == PromptButton::Yes;
}

bool warnYesNo(const QString& text) {
    return ask(PromptKind::Warning, text, {PromptButton::Yes, PromptButton::No},
               PromptButton::Yes) == PromptButton::Yes;
}

void inform(const QString& text) {
    ask(PromptKind::Information, text, {PromptButton::Ok}, PromptButton::Ok);
}

void error(const QString& text) {
    ask(PromptKind::Error, text, {PromptButton::Ok}, PromptButton::Ok);
}

} // namespace app::MessageBoxes
