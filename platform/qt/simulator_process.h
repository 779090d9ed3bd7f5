#pragma once

#include <QProcess>
#include <string>
#include <vector>

namespace kell {

// The simulated instrument as a child process: kell-sim serves a pseudo-terminal and prints its
// path on the first line of its output. The child runs in a process group of its own, so that a
// Ctrl-C on the terminal reaches this program only and a session can end in order, and it dies
// with this program however that ends. Used by both front ends' --simulate and by benchmarks.
class SimulatorProcess {
  public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Where kell-sim is: $KELL_SIM when set (and nothing else then), else beside this program,
    // else in the build tree's sim/ folder next to this program's folder, else on the PATH.
    // Empty when nowhere.
    static std::string Locate(const std::string& programDirectory);

    // Starts `program` with the scenario file (when not empty) and waits at most timeoutMs for
    // the port's path. False, with Error() saying why, when it did not start or named no port.
    bool Start(const std::string& program, const std::string& scenario, int timeoutMs = 10000);
    // The same, with kell-sim's options before the scenario ("--by-id", folder).
    bool Start(const std::string& program, const std::string& scenario,
               const std::vector<std::string>& options, int timeoutMs = 10000);
    // SIGTERM, a bounded wait for the simulator's report, then SIGKILL if it is still there.
    void Stop();

    const std::string& PortPath() const { return portPath_; }
    const std::string& Error() const { return error_; }
    qint64 ProcessId() const { return process_.processId(); }

  private:
    QProcess process_;
    std::string portPath_;
    std::string error_;
};

}  // namespace kell
