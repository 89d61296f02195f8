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

} // namespace platform
