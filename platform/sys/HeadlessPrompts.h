#pragma once

#include "platform/sys/Prompts.h"

namespace platform {

// Answers without a user: every question gets the answer that changes nothing. A box offering
// Cancel or Abort gets that (so a running operation stops rather than deciding for the user),
// else No, else No to All, else Ok; input and file questions are cancelled.
class HeadlessPrompts : public Prompts {
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

    // The answer a headless user gives to a box offering `buttons`.
    static PromptButton negativeAnswer(const std::vector<PromptButton>& buttons);
};

} // namespace platform
