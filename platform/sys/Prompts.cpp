#include "platform/sys/Prompts.h"

#include "platform/sys/HeadlessPrompts.h"

#include <atomic>

namespace platform {

namespace {

HeadlessPrompts& headless() {
    static HeadlessPrompts instance;
    return instance;
}

std::atomic<Prompts*>& installed() {
    static std::atomic<Prompts*> service{nullptr};
    return service;
}

} // namespace

std::optional<std::string> Prompts::saveFile(const std::string&, const std::string&,
                                             const std::string&, const std::string&) {
    return std::nullopt;
}

Prompts& prompts() {
    Prompts* service = installed().load();
    return service ? *service : headless();
}

void setPrompts(Prompts* service) {
    installed().store(service);
}

const char* promptButtonName(PromptButton button) {
    switch (button) {
    case PromptButton::None:
        return "None";
    case PromptButton::Ok:
        return "OK";
    case PromptButton::Cancel:
        return "Cancel";
    case PromptButton::Yes:
        return "Yes";
    case PromptButton::No:
        return "No";
    case PromptButton::YesToAll:
        return "Yes to All";
    case PromptButton::NoToAll:
        return "No to All";
    case PromptButton::Abort:
        return "Abort";
    case PromptButton::Retry:
        return "Retry";
    case PromptButton::Ignore:
        return "Ignore";
    }
    return "None";
}

} // namespace platform
