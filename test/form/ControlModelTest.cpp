#include "form/Button.h"
#include "form/Canvas.h"
#include "form/CheckBox.h"
#include "form/ComboBox.h"
#include "form/Edit.h"
#include "form/HexView.h"
#include "form/ListView.h"
#include "form/Menu.h"
#include "form/RadioGroup.h"
#include "form/SpinEdit.h"
#include "form/TrackBar.h"

#include <gtest/gtest.h>

using namespace korvane::form;

TEST(ControlModel, CheckBoxRunsItsHandlerForEveryChangeButIgnoresUserOnDisabled) {
    CheckBox box("b", "48 bit");
    int clicks = 0;
    box.onClick = [&] { ++clicks; };
    box.setChecked(true);
    EXPECT_EQ(clicks, 1) << "a change from code runs the click handler";
    box.setChecked(true);
    EXPECT_EQ(clicks, 1) << "no change, no handler";
    box.setEnabled(false);
    box.click();
    EXPECT_TRUE(box.checked());
    EXPECT_EQ(clicks, 1) << "a disabled box ignores the user";
    box.setChecked(false);
    EXPECT_EQ(clicks, 2) << "code may still change a disabled box";
}

TEST(ControlModel, RadioGroupChangingNotificationOnlyForUserChanges) {
    RadioGroup group("APIRg", "", {"API", "PIO"}, 1);
    std::vector<std::string> events;
    group.onChanging = [&](int i) { events.push_back("changing " + std::to_string(i)); };
    group.onClick = [&] { events.push_back("click " + std::to_string(group.itemIndex())); };
    group.setItemIndex(0);
    group.setItemIndex(1, Origin::User);
    group.setItemEnabled(0, false);
    group.setItemIndex(0, Origin::User);
    group.setItemIndex(5);
    EXPECT_EQ(events, (std::vector<std::string>{"click 0", "changing 1", "click 1"}));
}

TEST(ControlModel, ComboBoxChangeHandlerRunsOnlyForTheUser) {
    ComboBox box("PortBox", {" Primary", "Secondary", " Custom"}, 1);
    int changes = 0;
    box.onChange = [&] { ++changes; };
    box.setItemIndex(2);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(box.text(), " Custom");
    box.setItemIndex(0, Origin::User);
    EXPECT_EQ(changes, 1);
    box.setMaxLength(5);
    box.setText("1234567", Origin::User);
    EXPECT_EQ(box.text(), "12345");
    EXPECT_EQ(box.itemIndex(), -1) << "typed text that is no item selects none";
}

TEST(ControlModel, NumberControlsClampAndRunTheirHandlers) {
    SpinEdit spin("s", 1, 777, 60);
    TrackBar bar("t", 128, 254, 162);
    int spinChanges = 0, barChanges = 0;
    spin.onChange = [&] { ++spinChanges; };
    bar.onChange = [&] { ++barChanges; };
    spin.setValue(5000);
    bar.setPosition(0);
    EXPECT_EQ(spin.value(), 777);
    EXPECT_EQ(bar.position(), 128);
    EXPECT_EQ(spinChanges, 1);
    EXPECT_EQ(barChanges, 1);
    spin.setRange(1, 100);
    EXPECT_EQ(spin.value(), 100) << "narrowing the range pulls the value in";
}

TEST(ControlModel, EditHonoursReadOnlyAndMaximumLength) {
    Edit edit("PwdEdit", "tarvelin", "", 32);
    int changes = 0;
    edit.onChange = [&] { ++changes; };
    edit.setText(std::string(40, 'x'), Origin::User);
    EXPECT_EQ(edit.text().size(), 32u);
    edit.setReadOnly(true);
    edit.setText("typed", Origin::User);
    EXPECT_EQ(edit.text().size(), 32u);
    edit.setText("from code");
    EXPECT_EQ(edit.text(), "from code");
    EXPECT_EQ(changes, 2);
}

TEST(ControlModel, ObserverHearsWhichPropertyChanged) {
    Button b("b", "Start");
    std::vector<Prop> seen;
    b.setObserver([&](Prop p) { seen.push_back(p); });
    b.setCaption("Stop");
    b.setCaption("Stop");
    b.setEnabled(false);
    b.setFontColour(colours::Red);
    EXPECT_EQ(seen, (std::vector<Prop>{Prop::Caption, Prop::Enabled, Prop::FontColour}));
    int clicks = 0;
    b.onClick = [&] { ++clicks; };
    b.click();
    EXPECT_EQ(clicks, 0) << "a disabled button does nothing";
}

TEST(ControlModel, ListViewSelectionAndCells) {
    ListView list("l", {{"a", 10}, {"b", 10}});
    list.addRow({"1", "x"});
    list.addRow({"2"});
    list.addRow({"3", "z"});
    EXPECT_EQ(list.cell(1, 1), "") << "missing cells read as empty";
    EXPECT_EQ(list.cell(9, 9), "");
    std::vector<size_t> userSelections;
    list.onSelectItem = [&](size_t i) { userSelections.push_back(i); };
    list.select(0);
    list.select(2, true);
    EXPECT_EQ(list.selection().size(), 1u) << "single-select list keeps one row";
    list.setMultiSelect(true);
    list.select(0, true, Origin::User);
    EXPECT_EQ(list.selection(), (std::set<size_t>{0, 2}));
    EXPECT_EQ(userSelections, (std::vector<size_t>{0}));
    list.clear();
    EXPECT_TRUE(list.selection().empty());
    EXPECT_EQ(list.itemIndex(), -1);
}

TEST(ControlModel, CanvasLinesLeaveOutTheirEndPointAndDotsSkipEverySecondPixel) {
    Canvas c("GF", 10, 5);
    c.fill(colours::Black);
    c.setPen(colours::Lime);
    c.moveTo(0, 2);
    c.lineTo(4, 2);
    EXPECT_EQ(c.pixel(0, 2), colours::Lime);
    EXPECT_EQ(c.pixel(3, 2), colours::Lime);
    EXPECT_EQ(c.pixel(4, 2), colours::Black);
    c.dottedLine(0, 0, 6, 0);
    EXPECT_EQ(c.pixel(0, 0), colours::Lime);
    EXPECT_EQ(c.pixel(1, 0), colours::Black);
    EXPECT_EQ(c.pixel(2, 0), colours::Lime);
    c.lineTo(50, 50); // off the raster: clipped, no crash
    EXPECT_EQ(c.pixel(50, 50), kDefaultColour);
}

TEST(ControlModel, HexViewTracksChangedBytesAndRefusesEditsWhenReadOnly) {
    HexView hex("HexE");
    uint8_t bytes[4] = {1, 2, 3, 4};
    hex.load(bytes, 4);
    EXPECT_TRUE(hex.edit(1, 0xAA));
    EXPECT_TRUE(hex.edit(2, 3)); // same value: not a change
    EXPECT_TRUE(hex.isChanged(1));
    EXPECT_FALSE(hex.isChanged(2));
    EXPECT_FALSE(hex.edit(7, 0));
    hex.setReadOnly(true);
    EXPECT_FALSE(hex.edit(0, 9));
    EXPECT_EQ(hex.data()[0], 1);
    hex.load(bytes, 4);
    EXPECT_FALSE(hex.anyChanged());
}

TEST(ControlModel, MenuItemsRunOnlyWhenEnabledAndPopupPreparesThem) {
    Menu menu("m", {{"a", "Copy value"}, {"b", "Clear"}});
    int runs = 0;
    menu.onPopup = [&] { menu.item(0).setEnabled(false); };
    menu.item(0).onClick = [&] { ++runs; };
    menu.popup();
    menu.item(0).click();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(menu.find("Clear"), &menu.item(1));
}
