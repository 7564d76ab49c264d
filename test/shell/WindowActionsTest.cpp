#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace korvane;
using form::colours::Black;
using form::colours::Grey;
using form::colours::Lime;
using form::colours::Red;
using shell::WindowActions;
using testsupport::TestApp;

namespace {

struct Window : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    form::MainForm& f = app.form;
    Window() {
        t.dir.write(shell::AppPaths::kIniName, "[ATA Port]\nChannel=1\n");
        app.startUp.startUp();
    }
    size_t count(const std::string& line) const {
        auto m = t.messages();
        return size_t(std::count(m.begin(), m.end(), line));
    }
};

TEST(PanelTint, FormulaStylesRoundingAndClamping) {
    struct {
        form::Colour designed;
        int percent, style;
        form::Colour expected;
    } cases[] = {
        {0xF0F0F0, 60, 0, 0xE7E7ED},  // 240 - 15*0.6 = 231; blue 240 - 5*0.6 = 237
        {0xF0F0F0, 236, 0, 0xF3F3F1}, // -20: 243, 243, 241
        {0xF0F0F0, 90, 1, 0xDFE2F4},  // 223.125 -> 223; 226.5 -> 226 (half to even); 244.5 -> 244
        {0x000000, 100, 0, 0x000000}, // below zero clamps to 0
        {0x101010, 128, 0, 0xFFFFFF}, // -128: far above 255 clamps to 255
        {0xFFFFFF, 100, 0, 0xFFFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(WindowActions::tint(c.designed, int8_t(uint8_t(c.percent)), c.style), c.expected)
            << std::hex << c.designed << " " << std::dec << c.percent << "/" << c.style;
}

TEST_F(Window, StartUpTintsThePanels) {
    EXPECT_EQ(f.commands.GrayPanel.colour(), WindowActions::tint(0xF0F0F0, 90, 1));
    EXPECT_EQ(f.tests.CountersPanel.colour(), WindowActions::tint(0xF0F0F0, -20, 0));
}

TEST_F(Window, FunctionKeysPressTheButtonsTheirPagesOwn) {
    f.MainPage.setActiveIndex(1);
    ASSERT_FALSE(f.advanced.partitions.PartBox.enabled());
    app.windowActions.functionKey(6);
    EXPECT_EQ(f.MainPage.activeIndex(), 1) << "F6 waits for the partition viewer";

    f.MainPage.setActiveIndex(4);
    f.commands.PasspBtn.setEnabled(false);
    app.windowActions.functionKey(2);
    EXPECT_EQ(f.MainPage.activeIndex(), 0);
    EXPECT_EQ(app.session.maxLba, 0u) << "a disabled Passp reads nothing";
    f.commands.PasspBtn.setEnabled(true);
    app.windowActions.functionKey(2);
    EXPECT_EQ(app.session.maxLba, 40031712u) << f.HdPanel.pane(0);
    EXPECT_TRUE(f.advanced.partitions.PartBox.enabled());

    f.header.APIRg.setItemIndex(0, form::Origin::User);
    size_t before = t.drive(0x170).commandsReceived().size();
    app.windowActions.functionKey(3);
    EXPECT_EQ(t.drive(0x170).commandsReceived().size(), before) << "F3 does nothing in API mode";

    app.windowActions.functionKey(8);
    EXPECT_TRUE(f.viewBuffer.visible());
    EXPECT_EQ(f.viewBuffer.caption(), "View buffer");
    app.windowActions.functionKey(1);
    EXPECT_TRUE(f.help.visible());
}

TEST_F(Window, TestsPageTakesTheFocusToTheJumpControl) {
    f.MainPage.setActiveIndex(2);
    EXPECT_TRUE(f.tests.Qn.focused());
}

TEST_F(Window, ReadWriteIndicatorsAndTheBusyPicture) {
    app.session.readActive = true;
    app.windowActions.readWriteTick();
    EXPECT_EQ(f.commands.RdLed.colour(), Lime);
    EXPECT_EQ(f.commands.WrtLed.colour(), Grey);
    app.session.readActive = false;
    app.session.writeActive = true;
    app.windowActions.readWriteTick();
    EXPECT_EQ(f.commands.RdLed.colour(), Grey);
    EXPECT_EQ(f.commands.WrtLed.colour(), Red);
    EXPECT_EQ(f.AppIcon.picture(), "") << "the task-bar picture changes only while minimized";
    app.startUp.onMinimize();
    app.windowActions.readWriteTick();
    EXPECT_EQ(f.AppIcon.picture(), "normal");
}

TEST(DisconnectWatch, AnEmptyChannelIsReportedOnce) {
    TestApp t("empty");
    t.dir.write(shell::AppPaths::kIniName, "[ATA Port]\nChannel=1\n");
    t.lab->channelAt(0x170)->emptyBusValue = 0x7F; // BUSY pulled low: every other bit reads as one
    auto& app = *t.app;
    app.startUp.startUp();
    app.pio.lightStatusPanel();
    app.pio.updateStatusPanel();
    app.windowActions.disconnectWatch();
    app.pio.updateStatusPanel(); // the same value again: the panel does not repaint
    app.windowActions.disconnectWatch();
    auto m = t.messages();
    EXPECT_EQ(std::count(m.begin(), m.end(), "Port 0170h - drive disconnected!"), 1) << t.lastMessage();
    for (auto& lamp : app.form.registers.status) {
        EXPECT_EQ(lamp.shape.colour(), Black);
        EXPECT_EQ(lamp.label.fontColour(), form::colours::White);
    }
}

} // namespace

namespace {

TEST_F(Window, RegisterPanelClickTogglesTheMonitorWithItsColours) {
    auto& monitor = f.registryMonitor;
    ASSERT_FALSE(monitor.visible());
    EXPECT_EQ(monitor.R[0].fontColour(), Lime);
    f.registers.status[1].label.click();
    EXPECT_TRUE(monitor.visible());
    EXPECT_EQ(monitor.R[6].caption(), "50") << "the status register of the ready secondary master";
    monitor.FontColourGrp.setItemIndex(1, form::Origin::User);
    EXPECT_EQ(monitor.R[3].fontColour(), form::colours::Yellow);
    f.registers.ErrorRegLabel.click();
    EXPECT_FALSE(monitor.visible());
    f.header.APIRg.setItemIndex(0, form::Origin::User);
    f.registers.status[0].shape.click();
    EXPECT_FALSE(monitor.visible()) << "in API mode there are no registers to show";
}

} // namespace
