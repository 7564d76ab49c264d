#include "shell/App.h"

namespace korvane::shell {

App::App(AppEnvironment e)
    : env(std::move(e)),
      eventLog(form, env.facts, env.clipboard, env.dialogs),
      timing(env.clock, clockState, session,
             [this](const std::string& text, int replace, int level) { eventLog.logEvent(text, replace, level); }),
      clockControls(form, timing),
      settings(SettingsTargets{form, session, selection, startup, eventLog}, env.paths) {
    for (form::Timer* t : form.timers()) env.ui.addTimer(*t);
}

App::~App() {
    for (form::Timer* t : form.timers()) env.ui.removeTimer(*t);
}

} // namespace korvane::shell
