#include "shell/IniFile.h"
#include "support/TestApp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <clocale>
#include <filesystem>
#include <sys/stat.h>
#include <thread>

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
    EXPECT_EQ(back.readString("S", "p", ""), "line1 line2 ") << "each break became a blank, kept by quoting";
    EXPECT_EQ(back.readString("S", "f", "").find('\n'), std::string::npos);
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

TEST(IniFile, FloatsIgnoreTheProcessLocaleAndRefuseWhatIsNotAFiniteDecimal) {
    // The window's toolkit sets the process locale from the environment; try a comma locale.
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    bool commaLocale = false;
    for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8"})
        if (std::setlocale(LC_NUMERIC, name)) {
            commaLocale = true;
            break;
        }
    EXPECT_EQ(IniFile::formatFloat(0.25), "0.25") << (commaLocale ? "under a comma locale" : "");
    EXPECT_EQ(IniFile::parseFloat("0.25"), 0.25);
    EXPECT_EQ(IniFile::parseFloat("0,25"), 0.25) << "the files of comma languages have it so";
    EXPECT_EQ(IniFile::parseFloat(" +10.1 "), 10.1);
    for (const char* bad : {"nan", "NAN", "inf", "-inf", "infinity", "0x1p3", "1e999", "", "1,2,3", "--1"})
        EXPECT_FALSE(IniFile::parseFloat(bad)) << "'" << bad << "'";
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(IniFile, AByteOrderMarkDoesNotHideTheFirstSection) {
    IniFile ini;
    ini.parse("\xEF\xBB\xBF[Setup]\r\nBell=1\r\n");
    EXPECT_TRUE(ini.readBool("Setup", "Bell", false));
}

TEST(IniFile, ASaveAndALoadGiveEveryValueBackUnchanged) {
    for (const std::string value : {" spaced.txt ", "\"pw", "pw\"", "\"quoted\"", "'", " ", "plain", "a \"b\" c", ""}) {
        IniFile ini;
        ini.writeString("Setup", "Password", value);
        IniFile back;
        back.parse(ini.text());
        EXPECT_EQ(back.readString("Setup", "Password", "?"), value) << ini.text();
        IniFile again;
        again.parse(back.text());
        EXPECT_EQ(again.text(), back.text());
    }
}

TEST(IniFile, SaveKeepsLinksAndModesRefusesDevicesAndConcurrentSavesAllLand) {
    korvane::testsupport::TempDir dir;
    dir.write("real.ini", "[S]\nk=1\n");
    ::chmod(dir.file("real.ini").c_str(), 0600);
    std::filesystem::create_symlink(dir.file("real.ini"), dir.file("link.ini"));
    IniFile ini;
    ASSERT_TRUE(ini.load(dir.file("link.ini")));
    ini.writeInteger("S", "k", 2);
    ASSERT_TRUE(ini.save(dir.file("link.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.ini"))) << "the link was replaced by a file";
    EXPECT_EQ(dir.read("real.ini"), "[S]\nk=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(dir.file("real.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "a private settings file stays private";

    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    EXPECT_FALSE(ini.save(dir.file("fifo")));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.file("fifo"))) << "a special file is never replaced";
    EXPECT_FALSE(ini.save("/dev/null"));

    std::vector<std::thread> savers;
    std::atomic<int> failures{0};
    for (int i = 0; i < 40; ++i)
        savers.emplace_back([&, i] {
            IniFile mine;
            mine.writeInteger("S", "k", i);
            if (!mine.save(dir.file("real.ini"))) ++failures;
        });
    for (auto& s : savers) s.join();
    EXPECT_EQ(failures, 0);
    for (auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find("real.ini."), std::string::npos) << "left behind: " << entry.path();
}

TEST(IniFile, LoadRefusesWhatIsNotASmallRegularFileWithoutBlocking) {
    korvane::testsupport::TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    IniFile ini;
    EXPECT_FALSE(ini.load(dir.file("fifo"))) << "a FIFO with no writer";
    EXPECT_FALSE(ini.load("/dev/zero"));
    EXPECT_FALSE(ini.load(dir.path()));
    dir.write("big.ini", "[S]\nk=1\n" + std::string(IniFile::kMaxFileBytes, ';'));
    EXPECT_FALSE(ini.load(dir.file("big.ini")));
}
