#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <thread>

using namespace korvane;
using testsupport::TestApp;

namespace {

struct EventLogFixture : ::testing::Test {
    TestApp t;
    shell::EventLog& log = t.app->eventLog;
    form::ListView& panel = t.app->form.log.StringLog;
    std::string file = t.dir.file("eventlog.txt");

    EventLogFixture() { log.setLogFile(t.dir.path(), file); }
    std::string fileText() { return t.dir.read("eventlog.txt"); }
};

} // namespace

TEST_F(EventLogFixture, FirstLineIsWrittenAtOnceLaterOnesWhenTheNextArrives) {
    t.facts.time = "09:12:30";
    log.logEvent("Starting", 0, 1);
    EXPECT_EQ(fileText(), "09:12:30 : Starting\n");
    log.logEvent("Second", 0, 4);
    log.logEvent("Third", 2, 1); // 2 means a new line too
    EXPECT_EQ(fileText(), "09:12:30 : Starting\n09:12:30 : Second\n");
    ASSERT_EQ(panel.rowCount(), 3u);
    EXPECT_EQ(panel.row(1), (form::ListView::Row{"", "09:12:30", "4", "Second"}));
    EXPECT_EQ(log.lastWrittenLine(), "09:12:30 : Second");
}

TEST_F(EventLogFixture, IdenticalConsecutiveLinesReachTheFileOnce) {
    log.logEvent("a");
    log.logEvent("same");
    log.logEvent("same");
    log.logEvent("b");
    EXPECT_EQ(fileText(), "12:34:56 : a\n12:34:56 : same\n");
    EXPECT_EQ(panel.rowCount(), 4u);
}

TEST_F(EventLogFixture, AReplacedLineIsWrittenInItsReplacedFormsOnly) {
    log.logEvent("first");
    log.logEvent("Get native size...");
    log.logEvent("Get native size... step", 1, 1);
    log.logEvent("Get native size... OK", 1, 1);
    EXPECT_EQ(fileText(), "12:34:56 : first\n12:34:56 : Get native size... step\n12:34:56 : Get native size... OK\n");
    EXPECT_EQ(panel.rowCount(), 2u);
    EXPECT_EQ(panel.cell(1, shell::EventLog::MessageColumn), "Get native size... OK");
}

TEST_F(EventLogFixture, ThePanelClearsPast1000RowsWithoutLosingTheNewestLine) {
    for (int i = 1; i <= 1000; ++i) log.logEvent("line " + std::to_string(i));
    EXPECT_EQ(panel.rowCount(), 1000u);
    log.logEvent("line 1001");
    EXPECT_EQ(panel.rowCount(), 0u);
    log.logEvent("after");
    EXPECT_EQ(panel.rowCount(), 1u);
    std::string text = fileText();
    EXPECT_NE(text.find("12:34:56 : line 1000\n12:34:56 : line 1001\n12:34:56 : after\n"), std::string::npos);
}

TEST_F(EventLogFixture, RowColoursFollowLevelsAndTheNewestRowIsBlue) {
    log.logEvent("plain");
    log.logEvent("good", 0, 2);
    log.logEvent("hint", 0, 3);
    log.logEvent("error", 0, 4);
    log.logEvent("older");
    log.logEvent("newest", 0, 1);
    const size_t msg = shell::EventLog::MessageColumn;
    EXPECT_EQ(panel.colourOf(0, msg), form::colours::Black);
    EXPECT_EQ(panel.colourOf(1, msg), form::colours::Green);
    EXPECT_EQ(panel.colourOf(2, msg), form::colours::Maroon);
    EXPECT_EQ(panel.colourOf(3, msg), form::colours::Red);
    EXPECT_EQ(panel.colourOf(4, msg), form::colours::Black);
    EXPECT_EQ(panel.colourOf(5, msg), form::colours::Blue);
    EXPECT_EQ(panel.colourOf(5, shell::EventLog::TimeColumn), form::kDefaultColour);
    log.logEvent("replaced good", 1, 2);
    EXPECT_EQ(panel.colourOf(5, msg), form::colours::Green);
}

TEST_F(EventLogFixture, TheFileNameIsCleanedAndWrittenBackBeforeTheNextWrite) {
    auto& edit = t.app->form.setup.log.LogFileEdit;
    edit.setText("ev:ent?log.txt", form::Origin::User);
    log.logEvent("one");
    EXPECT_EQ(edit.text(), "eventlog.txt");
    edit.setText("?:*", form::Origin::User);
    log.logEvent("two");
    log.logEvent("three");
    EXPECT_EQ(edit.text(), "");
    EXPECT_EQ(fileText(), "12:34:56 : one\n") << "an empty cleaned name writes nothing";
    EXPECT_EQ(shell::EventLog::cleanFileName(std::string("a\x01\"b|c^d`e\\f/g<h>i")), "abcdefghi");
}

TEST_F(EventLogFixture, NothingIsWrittenWhenSwitchedOffAndFileErrorsAreSilent) {
    t.app->form.setup.log.SaveLogChk.setChecked(false);
    log.logEvent("a");
    log.logEvent("b");
    t.app->form.setup.log.SaveLogChk.setChecked(true);
    log.setLogWriteEnabled(false);
    log.logEvent("c");
    log.logEvent("d");
    EXPECT_FALSE(t.dir.exists("eventlog.txt"));

    log.setLogWriteEnabled(true);
    log.setLogFile(t.dir.path(), t.dir.file("no/such/dir/log.txt"));
    log.logEvent("e");
    log.logEvent("f");
    EXPECT_EQ(panel.rowCount(), 6u) << "the panel goes on";
    EXPECT_EQ(log.lastWrittenLine(), "12:34:56 : e");
    EXPECT_TRUE(t.dialogs.shown.empty());
}

TEST_F(EventLogFixture, CopyValueOffersTheFirstNumberOfTheFirstSelectedRow) {
    log.logEvent("no digits here");
    log.logEvent("Block 12345 at 678 ms");
    auto& menu = t.app->form.log.LogMenu;
    panel.select(0);
    menu.popup();
    EXPECT_EQ(menu.item(2).caption(), "Copy value");
    EXPECT_FALSE(menu.item(2).enabled());
    panel.select(1);
    menu.popup();
    EXPECT_EQ(menu.item(2).caption(), "Copy value: 12345");
    menu.item(2).click();
    EXPECT_EQ(t.clipboard.text(), "12345");
}

TEST_F(EventLogFixture, SelectAllAndCopySelectedText) {
    log.logEvent("alpha");
    log.logEvent("beta", 0, 4);
    auto& menu = t.app->form.log.LogMenu;
    menu.item(0).click();
    menu.item(1).click();
    EXPECT_EQ(t.clipboard.text(), "12:34:56 : alpha\n12:34:56 : beta\n");
}

TEST_F(EventLogFixture, SaveLogToFileWritesTheHeaderAndEveryRow) {
    t.app->form.setCaption(" Korvane 4.61b-SSD, korvane.example");
    log.logEvent("alpha");
    log.logEvent("beta");
    std::string target = t.dir.file("vlog.txt");
    t.dialogs.fileNames.push_back(target);
    t.app->form.log.LogMenu.item(3).click();
    ASSERT_EQ(t.dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(t.dialogs.fileRequests[0].defaultName, "vlog.txt");
    EXPECT_EQ(t.dialogs.fileRequests[0].filterIndex, 5);
    EXPECT_EQ(t.dir.read("vlog.txt"),
              " Korvane 4.61b-SSD, korvane.example log file. 10.12.2026\n12:34:56 : alpha\n12:34:56 : beta\n");

    log.setLogWriteEnabled(false);
    t.app->form.log.LogMenu.item(3).click();
    EXPECT_EQ(t.dialogs.fileRequests.size(), 1u) << "not offered while writing is disabled";
}

TEST_F(EventLogFixture, ClearLogLeavesOneBlankRowClsEmptiesClearFileTruncates) {
    log.logEvent("alpha");
    log.logEvent("beta");
    t.app->form.log.LogMenu.item(4).click();
    ASSERT_EQ(panel.rowCount(), 1u);
    EXPECT_EQ(panel.row(0), (form::ListView::Row{" ", " ", " ", " "}));
    t.app->form.log.ClsBtn.click();
    EXPECT_EQ(panel.rowCount(), 0u);
    EXPECT_FALSE(fileText().empty());
    t.app->form.setup.log.ClearFileBtn.click();
    EXPECT_TRUE(t.dir.exists("eventlog.txt"));
    EXPECT_EQ(fileText(), "");
}

TEST_F(EventLogFixture, LogViewerShowsTheWholeLinesOfTheLast1024Bytes) {
    std::string content;
    for (int i = 0; i < 100; ++i) content += "12:00:00 : line number " + std::to_string(i) + "\n";
    t.dir.write("eventlog.txt", content);
    log.showLogViewer();
    auto& viewer = t.app->form.eventlog;
    EXPECT_TRUE(viewer.visible());
    const std::string& shown = viewer.Text.text();
    EXPECT_LE(shown.size(), 1024u);
    EXPECT_EQ(shown.rfind("12:00:00 : line number", 0), 0u) << "starts with a whole line";
    EXPECT_EQ(content.substr(content.size() - shown.size()), shown);

    t.dir.write("eventlog.txt", "no line break at all");
    log.showLogViewer();
    EXPECT_EQ(viewer.Text.text(), "");

    std::filesystem::remove(file);
    log.showLogViewer();
    EXPECT_EQ(viewer.Text.text(), "File " + file + " not found!");
}

TEST_F(EventLogFixture, FinalLinesAreReportedOnceWithTheirMarks) {
    std::vector<std::string> finals;
    log.onLineFinal = [&](const std::string& line, const std::string& mark) { finals.push_back(mark + line); };
    log.logEvent("CPU clock...", 0, 1);
    log.logEvent("CPU clock... 3000 MHz", 1, 1);
    EXPECT_TRUE(finals.empty()) << "the newest line may still change";
    log.logEvent("Error!", 0, 4);
    log.flush();
    log.flush();
    EXPECT_EQ(finals, (std::vector<std::string>{" 12:34:56 : CPU clock... 3000 MHz", "412:34:56 : Error!"}));
}

TEST_F(EventLogFixture, TheLogViewerShowsAnUnreadableFileAsEmpty) {
    // A regular file whose reads fail, even for root.
    log.setLogFile(t.dir.path(), "/proc/self/clear_refs");
    log.showLogViewer();
    EXPECT_TRUE(t.app->form.eventlog.visible());
    EXPECT_EQ(t.app->form.eventlog.Text.text(), "");
}

TEST_F(EventLogFixture, AWorkersLinesReachThePanelAndTheFileInOrderOnTheUiThread) {
    t.app->form.setup.log.SaveLogChk.setChecked(true);
    log.logEvent("before", 0, 0);
    std::thread worker([&] {
        for (int i = 0; i < 100; ++i) log.logEvent("worker " + std::to_string(i), 0, i == 99 ? 4 : 0);
    });
    worker.join();
    EXPECT_EQ(t.lastMessage(), "before") << "nothing touched the panel from the worker";
    t.ui.processEvents();
    auto m = t.messages();
    ASSERT_EQ(m.size(), 101u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(m[size_t(i) + 1], "worker " + std::to_string(i));
    log.flush();
    std::string text = fileText();
    EXPECT_LT(text.find(" : worker 9\n"), text.find(" : worker 10\n"));
    EXPECT_NE(text.find(" : worker 99\n"), std::string::npos);
}
