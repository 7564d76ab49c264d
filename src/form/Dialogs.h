#pragma once
#include <optional>
#include <string>

namespace korvane::form {

enum class MessageType { Information, Warning, Error, Confirmation };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class Answer { Ok, Cancel, Yes, No };

// Modal dialogs, as an interface: the window shows real ones, tests queue the next answer,
// the command line answers from its flags.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A plain message with an OK button.
    virtual void showMessage(const std::string& text) = 0;
    virtual Answer messageBox(const std::string& text, const std::string& caption, MessageType type,
                              MessageButtons buttons) = 0;
    // File dialogs: nullopt when cancelled. `filter` is "Description|*.ext|Other|*.*".
    virtual std::optional<std::string> openFile(const std::string& title, const std::string& filter,
                                                const std::string& initialDir) = 0;
    virtual std::optional<std::string> saveFile(const std::string& title, const std::string& filter,
                                                int filterIndex, const std::string& defaultName,
                                                const std::string& initialDir) = 0;
};

} // namespace korvane::form
