#include "platform/host/HostPowerControl.h"

#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace korvane::platform {

bool HostPowerControl::shutDown() {
    char program[] = "systemctl", verb[] = "poweroff";
    char* argv[] = {program, verb, nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program, nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace korvane::platform
