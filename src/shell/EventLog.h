#pragma once
#include "form/Clipboard.h"
#include "form/Dialogs.h"
#include "form/MainForm.h"
#include "form/UiThread.h"
#include "platform/SystemFacts.h"

#include <functional>
#include <string>

namespace korvane::shell {

// The event log: the panel of timestamped lines at the bottom of the main window, mirrored to
// the log file, with its menu, its buttons and the log viewer window.
class EventLog {
public:
    // Panel columns: hidden, time, level mark (hidden), message.
    enum Column { Hidden = 0, TimeColumn = 1, MarkColumn = 2, MessageColumn = 3 };
    static constexpr size_t kMaxRows = 1000;

    EventLog(form::MainForm& form, form::UiThread& ui, platform::SystemFacts& facts, form::Clipboard& clipboard,
             form::Dialogs& dialogs);

    // The one reporting call. replaceLast == 1 overwrites the newest line; any other value adds one.
    // Safe from any thread: a worker's lines are queued to the UI thread in the order given, and
    // the panel and the file take them there.
    void logEvent(const std::string& text, int replaceLast = 0, int level = 0);

    static std::string levelMark(int level);
    // The file name edit's text without control characters and the characters "*/:<>?\^`|.
    static std::string cleanFileName(const std::string& name);

    // Where lines go: fixed at start-up.
    void setLogFile(const std::string& directory, const std::string& path);
    const std::string& logDirectory() const { return logDirectory_; }
    const std::string& logFilePath() const { return logFilePath_; }
    bool logWriteEnabled() const { return logWriteEnabled_; }
    void setLogWriteEnabled(bool e) { logWriteEnabled_ = e; }
    const std::string& lastWrittenLine() const { return lastWrittenLine_; }

    // Menu actions and buttons.
    void selectAll();
    void copySelected();
    void updateCopyValueItem(); // when the menu opens
    void copyValue();
    void saveLogToFile();
    void clearLog();
    void cls();
    void clearFile();
    // The "Eventlog" viewer (F7): the tail of the log file.
    void showLogViewer();

    // A line that will not change any more (a newer line came, the panel was cleared, or flush),
    // as "HH:MM:SS : message" with its mark. The command line prints these.
    std::function<void(const std::string& line, const std::string& mark)> onLineFinal;
    // Passes the newest line to onLineFinal (the end of a command-line run).
    void flush();
    // Level-4 lines logged so far, so a caller can tell whether an operation reported an error.
    uint64_t errorLines() const { return errorLines_; }

private:
    void logOnUiThread(const std::string& text, int replaceLast, int level);
    std::string rowLine(size_t row) const;
    void writeRow(size_t row);
    void finalise(size_t row);
    form::Colour cellColour(size_t row, size_t column) const;
    std::string firstNumber() const;

    form::MainForm& form_;
    form::ListView& panel_;
    form::UiThread& ui_;
    platform::SystemFacts& facts_;
    form::Clipboard& clipboard_;
    form::Dialogs& dialogs_;
    std::string logDirectory_;
    std::string logFilePath_;
    bool logWriteEnabled_ = true;
    std::string lastWrittenLine_;
    bool newestFinal_ = false;
    uint64_t errorLines_ = 0;
};

} // namespace korvane::shell
