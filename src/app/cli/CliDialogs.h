#pragma once
#include "form/Dialogs.h"

#include <optional>
#include <ostream>

namespace korvane::cli {

// Dialogs on the command line: messages go to the error stream, questions are answered by
// --yes / --no, and without an answer a question is refused. File dialogs are never shown:
// commands take their files as arguments.
class CliDialogs final : public form::Dialogs {
public:
    CliDialogs(std::ostream& err, std::optional<bool> answer) : err_(err), answer_(answer) {}

    void showMessage(const std::string& text) override { err_ << text << '\n'; }
    form::Answer messageBox(const std::string& text, const std::string& caption, form::MessageType,
                            form::MessageButtons buttons) override {
        err_ << (caption.empty() ? "" : caption + ": ") << text << '\n';
        if (buttons == form::MessageButtons::Ok) return form::Answer::Ok;
        bool yes = answer_.value_or(false);
        if (!answer_) err_ << "(no --yes given: refused)\n";
        if (buttons == form::MessageButtons::YesNo) return yes ? form::Answer::Yes : form::Answer::No;
        return yes ? form::Answer::Ok : form::Answer::Cancel;
    }
    // A file a command was given, answered to the next file dialog only.
    std::optional<std::string> nextFile;
    std::optional<std::string> openFile(const std::string&, const std::string&, const std::string&) override {
        auto file = nextFile;
        nextFile.reset();
        return file;
    }
    std::optional<std::string> saveFile(const std::string&, const std::string&, int, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }

private:
    std::ostream& err_;
    std::optional<bool> answer_;
};

} // namespace korvane::cli
