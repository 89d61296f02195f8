#pragma once

#include "platform/sys/Prompts.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace platform {

// A prompts service for tests: answers come from a script, and every question is recorded.
// When the script runs dry the headless answer is given (and counted as unscripted). An answer
// of the wrong sort (a button for a file question) or a button the box does not offer is a
// fault in the test, reported as std::logic_error.
class ScriptedPrompts : public Prompts {
public:
    enum class CallType { Message, InputText, OpenFile, PickFolder, SaveFile };

    struct Call {
        CallType type = CallType::Message;
        PromptKind kind = PromptKind::Information;
        std::string caption;
        std::string text; // message text, or the input prompt
        std::vector<PromptButton> buttons;
        PromptButton defaultButton = PromptButton::None;
        std::string initial; // initial text or initial folder
        std::string filter;
        bool secret = false;
    };

    // Queues the button for the next message box.
    void answerButton(PromptButton button);
    // Queues the answer for the next text, file or folder question (nullopt: cancelled).
    void answerText(std::optional<std::string> text);

    // Runs while each message box is "shown", as a real box runs its own event loop (which
    // runs timers and changes errno); empty: nothing runs.
    std::function<void()> whileShown;

    const std::vector<Call>& calls() const { return calls_; }
    int unscriptedCalls() const { return unscripted_; }
    std::size_t pendingAnswers() const { return answers_.size(); }

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

private:
    using Answer = std::variant<PromptButton, std::optional<std::string>>;

    // Adds a record of a question to calls() and returns it for the details.
    Call& record(CallType type, const std::string& caption);
    std::optional<std::string> nextText(const char* question);

    std::deque<Answer> answers_;
    std::vector<Call> calls_;
    int unscripted_ = 0;
};

} // namespace platform
