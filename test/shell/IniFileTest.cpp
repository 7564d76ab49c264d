#include "shell/IniFile.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

using korvane::shell::IniFile;

TEST(IniFile, SectionsAndKeysMatchCaseInsensitivelyAndTheFirstDuplicateWins) {
    IniFile ini;
    ini.parse("[Setup]\r\nBUSY Timeout = 20\r\nbusy timeout=30\r\n[setup]\r\nBell=1\r\n[Scan]\nTimer=1");
    EXPECT_EQ(ini.readInteger("SETUP", "busy TIMEOUT", 15), 20);
    EXPECT_FALSE(ini.readBool("Setup", "Bell", false)) << "a key of a later duplicate section is not seen";
    EXPECT_EQ(ini.readInteger("Scan", "Timer", 0), 1) << "no trailing newline, LF line ends";
    EXPECT_EQ(ini.readInteger("Scan", "Missing", 7), 7);
}

TEST(IniFile, IntegersReadLikeTheProfileReaderAndMalformedOnesGiveTheDefault) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {{"42", 42},          {"  -1 ", -1},        {"+7", 7},        {"$D400", 0xD400},
                          {"0x376", 0x376},    {"12abc", 99},        {"abc", 99},      {"", 99},
                          {"1.5", 99},         {"99999999999", 99},  {"-", 99},        {"$", 99},
                          {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"\x01\xff", 99}};
    for (const auto& c : cases) {
        IniFile ini;
        ini.parse(std::string("[S]\nk=") + c.text + "\n");
        EXPECT_EQ(ini.readInteger("S", "k", 99), c.expected) << "'" << c.text << "'";
    }
}

TEST(IniFile, BooleansFloatsAndStrings) {
    IniFile ini;
    ini.parse("[S]\nt=1\nf=0\ntwo=2\njunk=yes\nx=10.1\ncomma=2,5\nbad=1.2.3\ns=  a value  \nq=\"quoted\"\n");
    EXPECT_TRUE(ini.readBool("S", "t", false));
    EXPECT_FALSE(ini.readBool("S", "f", true));
    EXPECT_TRUE(ini.readBool("S", "two", false));
    EXPECT_TRUE(ini.readBool("S", "junk", true));
    EXPECT_FALSE(ini.readBool("S", "junk", false));
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "x", 0), 10.1);
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "comma", 0), 2.5);
    EXPECT_DOUBLE_EQ(ini.readFloat("S", "bad", 3.0), 3.0);
    EXPECT_EQ(ini.readString("S", "s", ""), "a value");
    EXPECT_EQ(ini.readString("S", "q", ""), "quoted");
}

TEST(IniFile, WritingKeepsCommentsUnknownKeysAndOtherSections) {
    IniFile ini;
    ini.parse("; made by hand\r\n[Setup]\r\nBell=0\r\nCustom=keep me\r\n\r\n[Other]\r\nx=1\r\n");
    ini.writeBool("setup", "BELL", true);
    ini.writeInteger("Setup", "New", 5);
    ini.writeString("Added", "Name", "v");
    EXPECT_EQ(ini.text(),
              "; made by hand\r\n[Setup]\r\nBell=1\r\nCustom=keep me\r\nNew=5\r\n\r\n[Other]\r\nx=1\r\n\r\n"
              "[Added]\r\nName=v\r\n");
}

TEST(IniFile, ValuesCannotBreakTheFileAndFloatsRoundTrip) {
    IniFile ini;
    ini.writeString("S", "p", "line1\nline2\r");
    ini.writeFloat("S", "f", 10.1);
    ini.writeFloat("S", "g", 1.0 / 3.0);
    IniFile back;
    back.parse(ini.text());
    EXPECT_EQ(back.readString("S", "p", ""), "line1 line2");
    EXPECT_EQ(back.readFloat("S", "f", 0), 10.1);
    EXPECT_EQ(back.readFloat("S", "g", 0), 1.0 / 3.0);
    EXPECT_EQ(IniFile::formatFloat(10.1), "10.1");
}

TEST(IniFile, OverlongLinesAndBinaryBytesDoNotDisturbTheRest) {
    std::string text = "[S]\nlong=" + std::string(100000, 'x') + "\nbin=\x01\x02\xfe\xff\n";
    text += '\0';
    text += "garbage\n[T]\nk=3\n";
    IniFile ini;
    ini.parse(text);
    EXPECT_EQ(ini.readString("S", "long", "").size(), 100000u);
    EXPECT_EQ(ini.readInteger("S", "bin", 4), 4);
    EXPECT_EQ(ini.readInteger("T", "k", 0), 3);
}

TEST(IniFile, SaveReplacesTheFileWholeAndFailsCleanlyInAFolderThatCannotBeWritten) {
    korvane::testsupport::TempDir dir;
    dir.write("krv40.ini", "[S]\nold=1\n");
    IniFile ini;
    ASSERT_TRUE(ini.load(dir.file("krv40.ini")));
    ini.writeInteger("S", "new", 2);
    ASSERT_TRUE(ini.save(dir.file("krv40.ini")));
    EXPECT_EQ(dir.read("krv40.ini"), "[S]\nold=1\nnew=2\n");
    EXPECT_FALSE(dir.exists("krv40.ini.tmp"));
    // A path below a regular file cannot be created, even by root.
    EXPECT_FALSE(ini.save(dir.file("krv40.ini") + "/sub/krv40.ini"));
    EXPECT_FALSE(ini.load(dir.file("missing.ini")));
}
