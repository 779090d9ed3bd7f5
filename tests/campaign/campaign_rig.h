#pragma once

#include <cstdlib>
#include <functional>
#include <utility>

#include "tests/support/session_rig.h"

namespace kell::testing {

// The session tests' rig for the campaign: the user answers every question OK, nothing plays the
// front end's disconnection watch, and hooks see every pump before the user does.
class CampaignRig : public SessionRig {
  public:
    explicit CampaignRig(sim::Scenario scenario) : SessionRig(std::move(scenario)) {
        KeepThePortLockInThisProcess();
        tendWatch = false;
        beforeUser = [this] { WatchTheSession(); };
    }

    // Another instrument on the same port, for the next session of the same window.
    void ReplaceInstrument(sim::Scenario scenario) {
        SessionRig::ReplaceInstrument(std::move(scenario));
        sessionStarted = false;
    }

    // Runs at every pump while the window is connected and no update session runs yet: after
    // identification has made its plan and before the session reads it.
    std::function<void(Tventana_brisca&)> beforeSession;
    // Runs once, when the update session has started (its step count is known).
    std::function<void(Tventana_brisca&)> onSessionStart;
    // Looked at every pump: once it holds, the instrument stops answering for good.
    std::function<bool(const Tventana_brisca&)> silenceWhen;
    std::int64_t silencedAtUs = -1;
    bool sessionStarted = false;

  private:
    // The window's channel locks every operation across the machine through a file in the
    // runtime (on Windows the temporary) directory: a system call each time, millions in a
    // campaign, and a lock shared with whatever else runs. A directory that does not exist
    // keeps the lock in this process.
    static void KeepThePortLockInThisProcess() {
#ifdef _WIN32
        _putenv_s("TMP", "C:\\nonexistent\\kell-campaign\\");
#else
        ::setenv("XDG_RUNTIME_DIR", "/nonexistent/kell-campaign", 1);
#endif
    }

    void WatchTheSession() {
        Tventana_brisca& w = *window;
        if (!w.State().sessionRunning && w.Connection().connected && w.State().stage == 1 &&
            beforeSession)
            beforeSession(w);
        if (silenceWhen && !faults.Silenced() && silenceWhen(w)) {
            faults.Silence();
            silencedAtUs = NowUs();
        }
        if (w.State().sessionRunning && !sessionStarted) {
            sessionStarted = true;
            if (onSessionStart)
                onSessionStart(w);
        }
    }
};

}  // namespace kell::testing
