#include "form/ScriptedDialogs.h"
#include "shell/RootRestart.h"

#include <gtest/gtest.h>
#include <map>

namespace korvane {
namespace {

using shell::RootRestart;
using Line = std::vector<std::string>;

struct RootRestartFixture : ::testing::Test {
    form::ScriptedDialogs dialogs;
    platform::OsFacts user;
    std::map<std::string, std::string> vars = {{"DISPLAY", ":1"}, {"XAUTHORITY", "/run/user/1000/xauth"}};
    RootRestart::Environment env = [this](const char* name) -> const char* {
        auto it = vars.find(name);
        return it == vars.end() ? nullptr : it->second.c_str();
    };
    Line offer(const std::string& program, const Line& args) {
        return RootRestart::offer(dialogs, user, "/usr/bin/pkexec", program, args, env);
    }
};

TEST_F(RootRestartFixture, AskedOnlyWithoutRightsAndWithPkexec) {
    platform::OsFacts root;
    root.isAdmin = true;
    dialogs.answers = {form::Answer::Yes};
    EXPECT_TRUE(RootRestart::offer(dialogs, root, "/usr/bin/pkexec", "/usr/bin/korvane", {"--host"}, env).empty());
    EXPECT_TRUE(RootRestart::offer(dialogs, user, "", "/usr/bin/korvane", {"--host"}, env).empty());
    EXPECT_TRUE(dialogs.shown.empty());

    dialogs.answers = {form::Answer::No};
    EXPECT_TRUE(offer("/usr/bin/korvane", {"--host"}).empty());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, RootRestart::kQuestion);
    EXPECT_EQ(dialogs.shown[0].buttons, form::MessageButtons::YesNo);
}

TEST_F(RootRestartFixture, TheInstalledProgramGoesThroughItsOwnPolkitAction) {
    dialogs.answers = {form::Answer::Yes};
    EXPECT_EQ(offer("/usr/bin/korvane", {"--ini", "my.ini", "--host"}),
              (Line{"/usr/bin/pkexec", "/usr/bin/korvane", "--host", "--ini", "my.ini"}));
}

TEST_F(RootRestartFixture, AnotherCopyTakesTheDisplayAlongAndKeepsItsDevices) {
    dialogs.answers = {form::Answer::Yes};
    EXPECT_EQ(offer("/opt/k/korvane", {"--device", "/dev/sdb"}),
              (Line{"/usr/bin/pkexec", "env", "DISPLAY=:1", "XAUTHORITY=/run/user/1000/xauth", "/opt/k/korvane",
                    "--host", "--device", "/dev/sdb"}));
}

} // namespace
} // namespace korvane
