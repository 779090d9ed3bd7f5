#pragma once

#include <QProcess>
#include <QString>
#include <string>

namespace kell::gui {

// The simulated instrument (kell-sim) run as a child for the length of the program: it opens a
// pseudo-terminal and prints its path as its first line; that path is then the meter's port.
class SimulatorProcess {
  public:
    SimulatorProcess() = default;
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts `program` with the scenario file (when not empty) and waits up to timeoutMs for the
    // port's path. False, with Error() saying why, when it did not start or said nothing.
    bool Start(const QString& program, const std::string& scenario, int timeoutMs = 5000);
    // Asks the simulator to end (SIGTERM), and kills it when it does not within a bound.
    void Stop();

    const std::string& PortPath() const { return portPath_; }
    const QString& Error() const { return error_; }

    // Where kell-sim is found: $KELL_SIM, beside this program, in the build tree next to it,
    // then on the PATH. Empty when nowhere.
    static QString Locate(const QString& programDirectory);

  private:
    QProcess process_;
    std::string portPath_;
    QString error_;
};

}  // namespace kell::gui
