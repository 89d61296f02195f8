#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The four kinds of message box the program shows.
enum class PromptKind { Information, Warning, Error, Confirmation };

// The named buttons a message box can offer; None means the box was closed without an answer.
enum class PromptButton { None, Ok, Cancel, Yes, No, YesToAll, NoToAll, Abort, Retry, Ignore };

// The one way every layer asks the user something. It has no GUI dependency so the archive
// engine can use it; the application installs a desktop implementation, tests a scripted one.
// Texts are UTF-8 and always shown as plain text.
class Prompts {
public:
    virtual ~Prompts() = default;

    // Shows a message box offering `buttons` (none given: just Ok) and returns the one pressed.
    virtual PromptButton message(PromptKind kind, const std::string& caption,
                                 const std::string& text, const std::vector<PromptButton>& buttons,
                                 PromptButton defaultButton) = 0;

    // Asks for one line of text; nullopt when the user cancels. `secret` hides what is typed.
    virtual std::optional<std::string> inputText(const std::string& caption,
                                                 const std::string& prompt,
                                                 const std::string& initial, bool secret) = 0;

    // Asks for an existing file. `filter` lists "Description|*.a;*.b|Description 2|*.c".
    virtual std::optional<std::string> openFile(const std::string& caption,
                                                const std::string& filter,
                                                const std::string& initialDir) = 0;

    // Asks for a file to write, proposing initialPath (a folder, a name, or both). A name typed
    // without extension gets defaultSuffix. The dialog asks nothing about an existing file:
    // the caller does. The default implementation answers as a cancelled dialog.
    virtual std::optional<std::string> saveFile(const std::string& caption,
                                                const std::string& filter,
                                                const std::string& initialPath,
                                                const std::string& defaultSuffix);

    // Asks for an existing folder; the answer ends with "/".
    virtual std::optional<std::string> pickFolder(const std::string& caption,
                                                  const std::string& initialDir) = 0;
};

// The process-wide prompts service. Until something is installed, a headless one answers.
Prompts& prompts();

// Installs `service` (not owned; it must outlive its use). nullptr restores the headless default.
void setPrompts(Prompts* service);

} // namespace platform
