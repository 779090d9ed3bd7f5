#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/line_device.h"

namespace kell::sim {

// The instrument's end of a pseudo-terminal: the PC opens the slave path as its serial port.
// Line speeds mean nothing on a pty, so a speed change is only remembered. Output that the
// PC is not reading yet waits here and goes out as the master can take it.
class PtyPort : public DevicePort {
  public:
    PtyPort() = default;
    ~PtyPort() override;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Creates the pseudo-terminal; false with a reason when the system refuses.
    bool Open(std::string& error);
    const std::string& SlavePath() const { return slavePath_; }
    int MasterFd() const { return master_; }
    bool Accepting() const { return accepting_; }
    bool HasPendingOutput() const { return !pending_.empty(); }
    bool Gone() const { return gone_; }
    // Writes what the master takes now.
    void Flush();

    // DevicePort
    void SendToHost(const std::uint8_t* data, std::size_t count) override;
    void SetDeviceBaud(std::uint32_t baud) override { baud_ = baud; }
    std::uint32_t DeviceBaud() const override { return baud_; }
    void SetAcceptingInput(bool accepting) override { accepting_ = accepting; }
    void Unplug() override;

  private:
    int master_ = -1;
    int slave_ = -1;  // held open so that the master stays usable while the PC has it closed
    std::string slavePath_;
    std::uint32_t baud_ = 115200;
    bool accepting_ = true;
    bool gone_ = false;
    std::vector<std::uint8_t> pending_;
};

}  // namespace kell::sim
