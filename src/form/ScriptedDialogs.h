#pragma once
#include "form/Dialogs.h"

#include <deque>
#include <vector>

namespace korvane::form {

// Dialogs for tests: every dialog shown is recorded; answers and file names come from queues.
// With nothing queued, a question is refused (Cancel or No) and a file dialog is cancelled,
// so an unscripted test can never confirm a write by accident.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        std::string text, caption;
        MessageType type;
        MessageButtons buttons;
    };
    struct FileRequest {
        std::string title, filter, defaultName, initialDir;
        int filterIndex;
        bool save;
    };

    std::deque<Answer> answers;
    std::deque<std::optional<std::string>> fileNames;
    std::vector<Shown> shown;
    std::vector<FileRequest> fileRequests;

    void showMessage(const std::string& text) override {
        shown.push_back({text, "", MessageType::Information, MessageButtons::Ok});
    }
    Answer messageBox(const std::string& text, const std::string& caption, MessageType type,
                      MessageButtons buttons) override {
        shown.push_back({text, caption, type, buttons});
        if (buttons == MessageButtons::Ok) return Answer::Ok;
        if (answers.empty()) return buttons == MessageButtons::YesNo ? Answer::No : Answer::Cancel;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> openFile(const std::string& title, const std::string& filter,
                                        const std::string& initialDir) override {
        fileRequests.push_back({title, filter, "", initialDir, 1, false});
        return nextFile();
    }
    std::optional<std::string> saveFile(const std::string& title, const std::string& filter, int filterIndex,
                                        const std::string& defaultName, const std::string& initialDir) override {
        fileRequests.push_back({title, filter, defaultName, initialDir, filterIndex, true});
        return nextFile();
    }

private:
    std::optional<std::string> nextFile() {
        if (fileNames.empty()) return std::nullopt;
        auto f = fileNames.front();
        fileNames.pop_front();
        return f;
    }
};

} // namespace korvane::form
