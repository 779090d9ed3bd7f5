#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/line_device.h"

namespace kell::sim {

// The instrument's end of a pseudo-terminal: the PC opens the slave path as its serial port.
// Line speeds mean nothing on a pty, so a speed change is only remembered. Output that the
// PC is not reading yet waits here and goes out as the master can take it.
//
// Given a stable-link folder it behaves as a USB serial device does on Linux: a link in the
// folder (as udev's /dev/serial/by-id) names it, and at every restart it drops off the bus
// (the pseudo-terminal is closed: the PC's open handle fails, and the old node lives on only
// while the PC holds it) and comes back on a new pseudo-terminal, under a new name while the
// PC still holds the old one, with the link moved to it.
class PtyPort : public DevicePort {
  public:
    PtyPort() = default;
    ~PtyPort() override;
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Makes the stable link `folder/name` follow the port; before Open.
    void UseStableLink(const std::string& folder, const std::string& name);

    // Creates the pseudo-terminal; false with a reason when the system refuses.
    bool Open(std::string& error);
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& StableLinkPath() const { return linkPath_; }
    // -1 while the port is off the bus.
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
    void LeaveBus() override;
    void JoinBus() override;

  private:
    void ClosePty();
    void PointLink();
    void RemoveLink();

    int master_ = -1;
    int slave_ = -1;  // held open so that the master stays usable while the PC has it closed
    std::string slavePath_;
    std::string linkPath_;  // empty: the port keeps its one name for good
    std::uint32_t baud_ = 115200;
    bool accepting_ = true;
    bool gone_ = false;
    std::vector<std::uint8_t> pending_;
};

}  // namespace kell::sim
