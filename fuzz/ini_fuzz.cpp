// The settings file: the INI reader over any text, its typed reads, writing it back, and the
// start-up's settings load from it.
#include "FuzzApp.h"
#include "shell/AppPaths.h"
#include "shell/IniFile.h"

#include <cstdlib>

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text = fuzz::asText(data, size);
    shell::IniFile ini;
    ini.parse(text);
    for (const char* section : {"Setup", "Main", "Tests", "Form"})
        for (const char* key : {"Russian", "Left", "Top", "Width", "Grid"}) {
            (void)ini.readInteger(section, key, 7);
            (void)ini.readFloat(section, key, 1.5);
            (void)ini.readString(section, key, "");
        }
    // What was read back and written again reads the same.
    const std::string once = ini.text();
    shell::IniFile again;
    again.parse(once);
    if (again.text() != once) std::abort();
    ini.writeInteger("Setup", "Russian", 1);
    ini.writeString("New section", "Key", "value");
    if (ini.readInteger("Setup", "Russian", 0) != 1 || ini.readString("New section", "Key", "") != "value") std::abort();

    auto& t = fuzz::fuzzApp();
    t.dir.write(shell::AppPaths::kIniName, text);
    t.app->settings.loadSettings();
    return 0;
}
