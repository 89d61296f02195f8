#pragma once

#include "platform/sys/Prompts.h"

namespace platform {

// The prompts service on the desktop: message boxes, the text input box and the file and
// folder dialogs, parented to the active window. Texts are shown as plain text.
class QtPrompts : public Prompts {
public:
    PromptButton message(PromptKind kind, const std::string& caption, const std::string& text,
                         const std::vector<PromptButton>& buttons,
                         PromptButton defaultButton) override;
    std::optional<std::string> inputText(const std::string& caption, const std::string& prompt,
                                         const std::string& initial, bool secret) override;
    std::optional<std::string> openFile(const std::string& caption, const std::string& filter,
                                        const std::string& initialDir) override;
    std::optional<std::string> pickFolder(const std::string& caption,
                                          const std::string& initialDir) override;
    std::optional<std::string> saveFile(const std::string& caption, const std::string& filter,
                                        const std::string& initialPath,
                                        const std::string& defaultSuffix) override;
};

} // namespace platform
