#pragma once

#include <QProcess>
#include <string>

namespace kell::cli {

// The simulated instrument as a child process: kell-sim serves a pseudo-terminal and prints
// its path on the first line of its output. The child runs in a process group of its own, so
// that a Ctrl-C on the terminal reaches this program only and the session can end in order;
// it is stopped with SIGTERM at the end (and dies with this program if that is killed).
class SimulatorProcess {
  public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Where kell-sim is: $KELL_SIM when set, else beside this program, else in the build
    // tree's sim/ folder next to this program's folder, else on the PATH. Empty when none.
    static std::string Locate(const std::string& programDirectory);

    // Starts it and waits (at most startTimeoutMs) for the port's path. False with a reason.
    bool Start(const std::string& program, const std::string& scenario, std::string* error,
               int startTimeoutMs = 10000);
    const std::string& PortPath() const { return portPath_; }
    qint64 ProcessId() const;
    // SIGTERM, a bounded wait for the simulator's report, then SIGKILL if it is still there.
    void Stop();

  private:
    QProcess process_;
    std::string portPath_;
};

}  // namespace kell::cli
