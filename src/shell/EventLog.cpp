#include "shell/EventLog.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace korvane::shell {

using form::ListView;

EventLog::EventLog(form::MainForm& form, form::UiThread& ui, platform::SystemFacts& facts, form::Clipboard& clipboard,
                   form::Dialogs& dialogs)
    : form_(form), panel_(form.log.StringLog), ui_(ui), facts_(facts), clipboard_(clipboard), dialogs_(dialogs) {
    panel_.cellColour = [this](size_t r, size_t c) { return cellColour(r, c); };
    auto& menu = form_.log.LogMenu;
    menu.onPopup = [this] { updateCopyValueItem(); };
    menu.item(0).onClick = [this] { selectAll(); };
    menu.item(1).onClick = [this] { copySelected(); };
    menu.item(2).onClick = [this] { copyValue(); };
    menu.item(3).onClick = [this] { saveLogToFile(); };
    menu.item(4).onClick = [this] { clearLog(); };
    form_.log.ClsBtn.onClick = [this] { cls(); };
    form_.setup.log.ClearFileBtn.onClick = [this] { clearFile(); };
}

std::string EventLog::levelMark(int level) {
    switch (level) {
    case 4: return "4";
    case 3: return "3";
    case 2: return "2";
    default: return " ";
    }
}

std::string EventLog::cleanFileName(const std::string& name) {
    static const char* forbidden = "\"*/:<>?\\^`|";
    std::string out;
    for (unsigned char c : name)
        if (c >= 32 && c != 127 && !std::strchr(forbidden, c)) out.push_back(char(c));
    return out;
}

void EventLog::setLogFile(const std::string& directory, const std::string& path) {
    logDirectory_ = directory;
    logFilePath_ = path;
}

std::string EventLog::rowLine(size_t row) const {
    return panel_.cell(row, TimeColumn) + " : " + panel_.cell(row, MessageColumn);
}

void EventLog::logEvent(const std::string& text, int replaceLast, int level) {
    if (ui_.isUiThread()) return logOnUiThread(text, replaceLast, level);
    ui_.post([this, text, replaceLast, level] { logOnUiThread(text, replaceLast, level); });
}

void EventLog::logOnUiThread(const std::string& text, int replaceLast, int level) {
    if (level == 4) ++errorLines_;
    std::string time = facts_.timeText().substr(0, 8);
    ListView::Row row{"", time, levelMark(level), text};
    size_t toWrite;
    if (panel_.rowCount() == 0) {
        panel_.addRow(std::move(row));
        toWrite = 0;
    } else if (replaceLast == 1) {
        toWrite = panel_.rowCount() - 1;
        panel_.setRow(toWrite, std::move(row));
    } else {
        toWrite = panel_.rowCount() - 1;
        finalise(toWrite);
        panel_.addRow(std::move(row));
    }
    newestFinal_ = false;
    panel_.scrollToBottom();
    writeRow(toWrite);
    if (panel_.rowCount() > kMaxRows) {
        // The newest line would otherwise reach neither the file nor the next panel.
        size_t newest = panel_.rowCount() - 1;
        writeRow(newest);
        finalise(newest);
        panel_.clear();
    }
}

void EventLog::writeRow(size_t row) {
    if (!form_.setup.log.SaveLogChk.checked() || !logWriteEnabled_) return;
    std::string line = rowLine(row);
    if (line == lastWrittenLine_) return;
    lastWrittenLine_ = line;
    auto& nameEdit = form_.setup.log.LogFileEdit;
    std::string cleaned = cleanFileName(nameEdit.text());
    if (cleaned != nameEdit.text()) nameEdit.setText(cleaned);
    if (cleaned.empty() || logFilePath_.empty()) return;
    // File errors are silent: the panel is the log, the file only its mirror.
    std::ofstream out(logFilePath_, std::ios::app | std::ios::binary);
    if (out) out << line << '\n';
}

void EventLog::finalise(size_t row) {
    if (!onLineFinal || row >= panel_.rowCount()) return;
    if (row == panel_.rowCount() - 1) {
        if (newestFinal_) return;
        newestFinal_ = true;
    }
    std::string time = panel_.cell(row, TimeColumn), message = panel_.cell(row, MessageColumn);
    auto blank = [](const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; };
    if (blank(time) && blank(message)) return;
    onLineFinal(time + " : " + message, panel_.cell(row, MarkColumn));
}

void EventLog::flush() {
    if (panel_.rowCount() == 0) return;
    // The newest line reaches the file only when a newer one comes: at the end it goes now.
    writeRow(panel_.rowCount() - 1);
    finalise(panel_.rowCount() - 1);
}

form::Colour EventLog::cellColour(size_t row, size_t column) const {
    if (column != MessageColumn) return form::kDefaultColour;
    const std::string& mark = panel_.cell(row, MarkColumn);
    if (mark == "4") return form::colours::Red;
    if (mark == "3") return form::colours::Maroon;
    if (mark == "2") return form::colours::Green;
    return row + 1 == panel_.rowCount() ? form::colours::Blue : form::colours::Black;
}

void EventLog::selectAll() { panel_.selectAll(); }

void EventLog::copySelected() {
    std::string text;
    for (size_t r : panel_.selection()) {
        std::string line = rowLine(r);
        text += (line == " : " ? std::string() : line) + "\n";
    }
    clipboard_.setText(text);
}

std::string EventLog::firstNumber() const {
    int first = panel_.itemIndex();
    if (first < 0) return {};
    const std::string& message = panel_.cell(size_t(first), MessageColumn);
    size_t start = 0;
    while (start < message.size() && !std::isdigit((unsigned char)message[start])) ++start;
    size_t end = start;
    while (end < message.size() && std::isdigit((unsigned char)message[end])) ++end;
    return message.substr(start, end - start);
}

void EventLog::updateCopyValueItem() {
    auto& item = form_.log.LogMenu.item(2);
    std::string digits = firstNumber();
    item.setCaption(digits.empty() ? "Copy value" : "Copy value: " + digits);
    item.setEnabled(!digits.empty());
    form_.log.LogMenu.item(3).setEnabled(logWriteEnabled_);
}

void EventLog::copyValue() {
    std::string digits = firstNumber();
    if (!digits.empty()) clipboard_.setText(digits);
}

void EventLog::saveLogToFile() {
    if (!logWriteEnabled_) return;
    auto file = dialogs_.saveFile("Save log to file",
                                  "BIN files (*.bin)|*.bin|MBR files (*.mbr)|*.mbr|INI files (*.ini)|*.ini|"
                                  "All files (*.*)|*.*|Text files (*.txt)|*.txt",
                                  5, "vlog.txt", logDirectory_);
    if (!file) return;
    std::ofstream out(*file, std::ios::trunc | std::ios::binary);
    if (!out) {
        dialogs_.showMessage("Cannot create file " + *file);
        return;
    }
    out << form_.caption() << " log file. " << facts_.dateText() << '\n';
    for (size_t r = 0; r < panel_.rowCount(); ++r) {
        std::string line = rowLine(r);
        if (line != " : ") out << line << '\n';
    }
}

void EventLog::clearLog() {
    cls();
    panel_.addRow({" ", " ", " ", " "});
}

void EventLog::cls() {
    flush();
    panel_.clear();
}

void EventLog::clearFile() {
    if (!logWriteEnabled_ || logFilePath_.empty()) return;
    std::error_code ec;
    if (std::filesystem::exists(logFilePath_, ec)) std::filesystem::resize_file(logFilePath_, 0, ec);
}

void EventLog::showLogViewer() {
    auto& viewer = form_.eventlog;
    viewer.Text.clear();
    std::error_code ec;
    if (logFilePath_.empty() || !std::filesystem::is_regular_file(logFilePath_, ec)) {
        viewer.Text.setText("File " + logFilePath_ + " not found!");
        viewer.show();
        return;
    }
    // Only the tail is shown; a file that exists but cannot be read shows as empty.
    std::string bytes;
    std::ifstream in(logFilePath_, std::ios::binary);
    in.seekg(0, std::ios::end);
    std::streamoff size = in ? std::streamoff(in.tellg()) : std::streamoff(-1);
    if (size > 0) {
        std::streamoff tail = std::min<std::streamoff>(1024, size);
        bytes.assign(size_t(tail), '\0');
        in.seekg(size - tail);
        in.read(bytes.data(), tail);
        bytes.resize(size_t(std::max<std::streamsize>(in.gcount(), 0)));
    }
    // The tail starts mid-line; the first whole line follows the first line break.
    size_t lineBreak = bytes.find('\n');
    viewer.Text.setText(lineBreak == std::string::npos ? std::string() : bytes.substr(lineBreak + 1));
    viewer.Text.scrollToBottom();
    viewer.show();
}

} // namespace korvane::shell
