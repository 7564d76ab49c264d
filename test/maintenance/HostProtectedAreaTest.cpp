#include "access/SizeParse.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace korvane;
using testsupport::TestApp;

namespace {

struct Hpa : ::testing::Test {
    TestApp t;
    shell::App& app = *t.app;
    form::HpaGroup& g = app.form.standard.hpa;
    static constexpr int64_t kNative = 40031712; // the secondary master
    Hpa() {
        t.startPio(0x170, 0x376);
        EXPECT_TRUE(app.passportReader.readPassport(true, true));
    }
    sim::AtaDevice& drive() { return t.drive(0x170); }
    bool logged(const std::string& text) {
        auto m = t.messages();
        return std::find(m.begin(), m.end(), text) != m.end();
    }
    bool setSize(const std::string& text, bool temporary) {
        g.L1.setText(text);
        g.HPATpChk.setChecked(temporary);
        return app.hostProtectedArea.setMaxSize();
    }
};

} // namespace

TEST(SizeParse, UnitsDigitsAndOverflow) {
    const std::tuple<const char*, int64_t> cases[] = {
        {"100 Mb", 204800},   {"17%", 170000},  {"204G", 427819008}, {"131072134", 131072134}, {"1 kb", 2},
        {"12abc34", 1234},    {"none", 0},      {"", 0},             {"  5  ", 5},               {"1.5G", 15LL * 2097152},
        {"2T", 2LL * 1048576 * 2048}};
    for (auto& [text, sectors] : cases) EXPECT_EQ(access::parseSizeValue(text, 1000000, 2048), sectors) << text;
    EXPECT_FALSE(access::parseSizeValue("99999999999999999999", 1000000, 2048)) << "too long for 64 bits";
    EXPECT_FALSE(access::parseSizeValue("9999999999999T", 1000000, 2048)) << "the product overflows";
    EXPECT_EQ(access::parseSizeValue("100 Mb", 0, 512), 51200) << "2048-byte sectors: 512 of them a MiB";
}

TEST_F(Hpa, TheNativeSizeIsReadAndShownInTheChosenUnit) {
    auto native = app.hostProtectedArea.readNativeSize();
    ASSERT_TRUE(native);
    EXPECT_EQ(*native, kNative);
    EXPECT_EQ(t.lastMessage(), "Get native size...OK, 40031712 LBAs (19546 Mb)");
    EXPECT_EQ(g.L1.text(), "40031712");
    EXPECT_EQ(g.HpaTrack.position(), 400);
    g.HpaMbBox.setChecked(true);
    g.NHPABtn.click();
    EXPECT_EQ(g.L1.text(), "19546 Mb");
    g.HpaMbBox.setChecked(false);
    g.HpaTrack.setPosition(200);
    EXPECT_EQ(g.L1.text(), std::to_string(200 * (kNative / 400)));
    g.HpaTrack.setPosition(400);
    EXPECT_EQ(g.L1.text(), std::to_string(kNative)) << "the end of the bar is the native size itself";
}

TEST_F(Hpa, ATemporarySizeLastsUntilPowerOffAPermanentOneSurvivesIt) {
    ASSERT_TRUE(setSize("50%", true));
    EXPECT_TRUE(logged("Set HPA Command, Max LBA=20015856 (9773 Mb), temporarily"));
    EXPECT_EQ(drive().currentMax(), 20015856u);
    EXPECT_EQ(app.session.maxLba, 20015856u) << "the passport was read again";
    EXPECT_EQ(app.form.tests.EndLbaEdit.text(), "20015855");
    EXPECT_EQ(app.form.standard.seek.SeekEndLbaEdit.text(), "20015855");
    EXPECT_FALSE(drive().store().writtenWithin(0, drive().nativeMax())) << "no sector was written";
    drive().setPowered(false);
    drive().setPowered(true); // off and on again
    EXPECT_EQ(drive().currentMax(), uint64_t(kNative));

    ASSERT_TRUE(setSize("30000000", false));
    EXPECT_TRUE(logged("Set HPA Command, Max LBA=30000000 (14648 Mb), permanent"));
    drive().setPowered(false);
    drive().setPowered(true); // off and on again
    EXPECT_EQ(drive().currentMax(), 30000000u);
}

TEST_F(Hpa, RefusalsSendNothingAndSayWhy) {
    app.form.log.biglbaChk.setChecked(false);
    size_t before = drive().commandsReceived().size();
    EXPECT_FALSE(setSize("99999999999999999999", true));
    EXPECT_EQ(drive().commandsReceived().size(), before) << "a size that does not convert sends nothing";
    ASSERT_FALSE(t.dialogs.shown.empty());
    EXPECT_EQ(t.dialogs.shown.back().text, "'99999999999999999999' is not a valid size");
    EXPECT_EQ(g.L1.text(), "99999999999999999999") << "the field keeps the text";

    EXPECT_FALSE(setSize("0", true));
    EXPECT_EQ(t.lastMessage(), "HPA error! Wrong LBA parameters or need power-restart!");
    EXPECT_EQ(drive().currentMax(), uint64_t(kNative));

    EXPECT_FALSE(setSize("200G", true)) << "clamped to 0FFFFFFFh, still above the native size";
    EXPECT_TRUE(logged("Set HPA Command, Max LBA=419430400 (204800 Mb), temporarily"));
    EXPECT_EQ(t.lastMessage(), "HPA error! Wrong LBA parameters or need power-restart!");
    auto& sent = drive().commandsReceived();
    auto setMax = std::find_if(sent.rbegin(), sent.rend(), [](auto& tf) { return tf.command == 0xF9; });
    ASSERT_NE(setMax, sent.rend());
    EXPECT_EQ(setMax->lba28(), 0x0FFFFFFEu);
    EXPECT_EQ(drive().currentMax(), uint64_t(kNative));

    app.form.setup.presets.NonDestrChk.setChecked(true);
    EXPECT_FALSE(setSize("30000000", false)) << "a permanent change is destructive";
    EXPECT_EQ(drive().currentMax(), uint64_t(kNative));
    EXPECT_TRUE(setSize("30000000", true)) << "a temporary one is not";
}
