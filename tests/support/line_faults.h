#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_line.h"

namespace kell::testing {

// Damages the bytes that cross a virtual line, on purpose and at chosen places: it sits between
// the line and the simulated instrument, as the line's device and as the instrument's port.
// Bytes are counted from 0 in each direction; a fault is placed at the index of the byte it
// strikes.
//
//     VirtualLine line(clock);
//     LineFaults faults(line);
//     sim::Instrument instrument(clock, clock, faults, scenario);
//     faults.Attach(&instrument);
//     line.Attach(&faults);
class LineFaults : public LineDevice, public DevicePort {
  public:
    enum class Kind {
        LoseToHost,    // one byte of an answer never arrives
        LoseToDevice,  // one byte the PC sent never reaches the instrument
        FlipToHost,    // one bit of an answer byte arrives inverted
        StrayToHost,   // bytes nobody sent arrive before an answer byte
        DropAnswer,    // the whole answer that holds the byte never arrives
    };
    static constexpr int kKinds = 5;

    struct Fault {
        Kind kind = Kind::LoseToHost;
        std::uint64_t atByte = 0;         // index of the struck byte in its direction
        std::uint8_t bit = 0;             // FlipToHost: which bit, 0 to 7
        std::vector<std::uint8_t> stray;  // StrayToHost: the bytes that arrive first
    };

    explicit LineFaults(VirtualLine& line) : line_(line) {}

    void Attach(LineDevice* device) { device_ = device; }
    void Add(Fault fault);
    // From now on nothing the instrument sends reaches the PC: it has stopped answering.
    void Silence() { silenced_ = true; }
    bool Silenced() const { return silenced_; }

    // How many faults of a kind struck a byte so far.
    int Fired(Kind kind) const { return fired_[static_cast<std::size_t>(kind)]; }
    int FiredTotal() const;
    std::uint64_t BytesToHost() const { return toHost_; }
    std::uint64_t BytesToDevice() const { return toDevice_; }

    // LineDevice: what the line delivers, on its way to the instrument.
    void OnByteFromHost(std::uint8_t byte) override;
    void OnRtsChanged(bool on) override;
    void OnHostOpened() override;
    void OnHostClosed() override;

    // DevicePort: what the instrument sends, on its way to the line.
    void SendToHost(const std::uint8_t* data, std::size_t count) override;
    void SetDeviceBaud(std::uint32_t baud) override { line_.SetDeviceBaud(baud); }
    std::uint32_t DeviceBaud() const override { return line_.DeviceBaud(); }
    void SetAcceptingInput(bool accepting) override { line_.SetAcceptingInput(accepting); }
    void Unplug() override { line_.Unplug(); }
    void Replug() override { line_.Replug(); }
    void LeaveBus() override { line_.LeaveBus(); }
    void JoinBus() override { line_.JoinBus(); }

  private:
    void Count(Kind kind) { ++fired_[static_cast<std::size_t>(kind)]; }
    void UpdateNextToDevice();

    VirtualLine& line_;
    LineDevice* device_ = nullptr;
    std::vector<Fault> toHostFaults_;
    std::vector<std::uint64_t> toDeviceLosses_;
    // The smallest index a loss toward the instrument waits for: the common case of a byte
    // that no fault strikes costs one comparison.
    std::uint64_t nextToDevice_ = UINT64_MAX;
    std::uint64_t toHost_ = 0;
    std::uint64_t toDevice_ = 0;
    std::array<int, kKinds> fired_{};
    bool silenced_ = false;
    std::vector<std::uint8_t> out_;
};

}  // namespace kell::testing
