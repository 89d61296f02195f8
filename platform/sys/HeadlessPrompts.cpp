#include "platform/sys/HeadlessPrompts.h"

#include <algorithm>

namespace platform {

PromptButton HeadlessPrompts::negativeAnswer(const std::vector<PromptButton>& buttons) {
    if (buttons.empty())
        return PromptButton::Ok;
    for (PromptButton preferred : {PromptButton::Cancel, PromptButton::Abort, PromptButton::No,
                                   PromptButton::NoToAll, PromptButton::Ok}) {
        if (std::find(buttons.begin(), buttons.end(), preferred) != buttons.end())
            return preferred;
    }
    return PromptButton::None;
}

PromptButton HeadlessPrompts::message(PromptKind, const std::string&, const std::string&,
                                      const std::vector<PromptButton>& buttons, PromptButton) {
    return negativeAnswer(buttons);
}

std::optional<std::string> HeadlessPrompts::inputText(const std::string&, const std::string&,
                                                      const std::string&, bool) {
    return std::nullopt;
}

std::optional<std::string> HeadlessPrompts::openFile(const std::string&, const std::string&,
                                                     const std::string&) {
    return std::nullopt;
}

std::optional<std::string> HeadlessPrompts::pickFolder(const std::string&, const std::string&) {
    return std::nullopt;
}

} // namespace platform
