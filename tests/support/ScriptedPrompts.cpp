#include "tests/support/ScriptedPrompts.h"

#include "platform/sys/HeadlessPrompts.h"

#include <algorithm>
#include <stdexcept>

namespace platform {

namespace {

// The English caption of a button, for the faults the script reports.
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

} // namespace

ScriptedPrompts::Call& ScriptedPrompts::record(CallType type, const std::string& caption) {
    Call& call = calls_.emplace_back();
    call.type = type;
    call.caption = caption;
    return call;
}

void ScriptedPrompts::answerButton(PromptButton button) {
    answers_.emplace_back(button);
}

void ScriptedPrompts::answerText(std::optional<std::string> text) {
    answers_.emplace_back(std::move(text));
}

PromptButton ScriptedPrompts::message(PromptKind kind, const std::string& caption,
                                      const std::string& text,
                                      const std::vector<PromptButton>& buttons,
                                      PromptButton defaultButton) {
    Call& call = record(CallType::Message, caption);
    call.kind = kind;
    call.text = text;
    call.buttons = buttons;
    call.defaultButton = defaultButton;
    if (whileShown)
        whileShown();

    if (answers_.empty()) {
        ++unscripted_;
        return HeadlessPrompts::negativeAnswer(buttons);
    }
    const PromptButton* button = std::get_if<PromptButton>(&answers_.front());
    if (!button)
        throw std::logic_error("scripted a text answer, but a message box asked: " + text);
    const PromptButton answer = *button;
    answers_.pop_front();
    const bool offered = buttons.empty()
                             ? answer == PromptButton::Ok
                             : std::find(buttons.begin(), buttons.end(), answer) != buttons.end();
    if (!offered && answer != PromptButton::None)
        throw std::logic_error(std::string("scripted button ") + promptButtonName(answer) +
                               " is not offered by: " + text);
    return answer;
}

std::optional<std::string> ScriptedPrompts::nextText(const char* question) {
    if (answers_.empty()) {
        ++unscripted_;
        return std::nullopt;
    }
    auto* text = std::get_if<std::optional<std::string>>(&answers_.front());
    if (!text)
        throw std::logic_error(std::string("scripted a button, but a ") + question + " asked");
    std::optional<std::string> answer = std::move(*text);
    answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompts::inputText(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string& initial, bool secret) {
    Call& call = record(CallType::InputText, caption);
    call.text = prompt;
    call.initial = initial;
    call.secret = secret;
    return nextText("text input");
}

std::optional<std::string> ScriptedPrompts::openFile(const std::string& caption,
                                                     const std::string& filter,
                                                     const std::string& initialDir) {
    Call& call = record(CallType::OpenFile, caption);
    call.filter = filter;
    call.initial = initialDir;
    return nextText("file dialog");
}

std::optional<std::string> ScriptedPrompts::pickFolder(const std::string& caption,
                                                       const std::string& initialDir) {
    record(CallType::PickFolder, caption).initial = initialDir;
    return nextText("folder dialog");
}

std::optional<std::string> ScriptedPrompts::saveFile(const std::string& caption,
                                                     const std::string& filter,
                                                     const std::string& initialPath,
                                                     const std::string&) {
    Call& call = record(CallType::SaveFile, caption);
    call.filter = filter;
    call.initial = initialPath;
    return nextText("save dialog");
}

} // namespace platform
