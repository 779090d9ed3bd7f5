#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "platform/line_device.h"
#include "platform/serial_device.h"
#include "platform/virtual/adapter_receive_buffer.h"
#include "platform/virtual/virtual_clock.h"

namespace kell {

// Bits a byte takes on the wire: start bit, 8 data bits, two stop bits.
inline constexpr int kBitsPerByte = 11;
inline std::int64_t ByteTimeUs(std::uint32_t baud) {
    return baud == 0 ? 0 : (kBitsPerByte * 1'000'000LL + baud - 1) / baud;
}

// One serial line on virtual time: the PC's side (driven through VirtualSerialDevice) and the
// far end (a LineDevice such as the simulated instrument). Every byte takes its wire time at the
// sender's speed; a byte received at another speed than it was sent at is a framing error. The
// PC's side may be a USB adapter with a latency timer, which holds the bytes it receives.
class VirtualLine : public DevicePort {
  public:
    enum class Direction { ToDevice, ToHost };
    using Tap = std::function<void(Direction, std::int64_t timeUs, std::uint8_t byte)>;

    static constexpr std::uint32_t kQueueSize = 2048;

    explicit VirtualLine(VirtualClock& clock);
    ~VirtualLine() override;

    void Attach(LineDevice* device) { device_ = device; }
    // Sees every byte that crosses the line, with the time it arrived.
    void SetTap(Tap tap) { tap_ = std::move(tap); }
    // The PC's USB adapter passes bytes from the far end on at its latency ticks or when its
    // packet fills (see AdapterReceiveBuffer); 0, the default, passes each on as it arrives.
    void SetAdapterLatencyMs(std::uint32_t ms) { adapter_.SetLatencyMs(ms); }

    // DevicePort
    void SendToHost(const std::uint8_t* data, std::size_t count) override;
    void SetDeviceBaud(std::uint32_t baud) override { deviceBaud_ = baud; }
    std::uint32_t DeviceBaud() const override { return deviceBaud_; }
    void SetAcceptingInput(bool accepting) override;
    void Unplug() override;
    void Replug() override { unplugged_ = false; }
    bool Unplugged() const { return unplugged_; }
    // A USB device that re-enumerates: at each restart of the far end it drops off the bus (the
    // PC's open handle fails from then on, as after an unplug) and comes back as a new device
    // node, on which a handle opened before stays dead. onBusChange(false) when it leaves,
    // (true) when it is back: the test moves the line to its new path there.
    void LeaveBus() override;
    void JoinBus() override;
    bool reenumerates = false;
    std::function<void(bool onBus)> onBusChange;
    // Counts the device's enumerations: a handle belongs to the one it was opened on.
    int Enumeration() const { return enumeration_; }

    // The PC's side, used by VirtualSerialDevice.
    bool HostOpen() const { return hostOpen_; }
    void HostOpened();
    void HostClosed();
    void HostSetBaud(std::uint32_t baud) { hostBaud_ = baud; }
    std::uint32_t HostBaud() const { return hostBaud_; }
    std::size_t HostRead(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs);
    long HostWrite(const std::uint8_t* data, std::size_t count);
    SerialStatus HostStatus();
    // Runs virtual time until the PC's out-queue shrinks, the line is unplugged or timeoutMs.
    void HostWaitForOutput(std::uint32_t timeoutMs);
    void HostPurge(bool input, bool output);
    void HostSetRts(bool on);

    // What the PC has sent that the device has not yet taken (stalled or still on the wire).
    std::size_t HostOutQueued() const { return stalled_.size() + toDevice_.size(); }

  private:
    // A byte on the wire: when it arrives, the speed it was sent at, and its place among the
    // clock's events, reserved when it was sent. Only the first byte of each direction is
    // scheduled on the clock, so the clock's queue stays short however many bytes are on their
    // way, and the bytes still arrive in the order and at the times they would one by one.
    struct ByteOnWire {
        std::int64_t arrivalUs;
        Scheduler::EventId place;
        std::uint8_t byte;
        std::uint32_t sentAtBaud;
    };
    using Wire = std::deque<ByteOnWire>;
    void Send(Wire& wire, std::int64_t& freeUs, std::uint8_t byte, std::uint32_t baud);
    void ScheduleFirst(Wire& wire);
    void Arrive(Wire& wire);
    void Drop(Wire& wire);

    void ScheduleToDevice(std::uint8_t byte);
    void DeliverToDevice(std::uint8_t byte, std::uint32_t sentAtBaud);
    void DeliverToHost(std::uint8_t byte, std::uint32_t sentAtBaud);
    void ReceiveAtHost(std::uint8_t byte);

    VirtualClock& clock_;
    LineDevice* device_ = nullptr;
    Tap tap_;
    std::uint32_t hostBaud_ = 115200;
    std::uint32_t deviceBaud_ = 115200;
    bool hostOpen_ = false;
    bool accepting_ = true;
    bool unplugged_ = false;
    int enumeration_ = 0;
    std::uint32_t pendingErrors_ = 0;

    std::deque<std::uint8_t> received_;  // arrived at the PC, not yet read
    std::deque<std::uint8_t> stalled_;   // written by the PC while the device takes nothing
    Wire toDevice_;                      // PC to device, on the wire
    std::size_t writtenSinceOpen_ = 0;   // the newest of them, written since the open
    Wire toHost_;                        // device to PC, on the wire
    std::int64_t toDeviceFreeUs_ = 0;    // when the PC's transmitter is free again
    std::int64_t toHostFreeUs_ = 0;      // when the device's transmitter is free again
    AdapterReceiveBuffer adapter_{clock_, [this](std::uint8_t byte) { ReceiveAtHost(byte); }};
};

// The set of virtual lines a test machine has, by device path.
class VirtualLineSet {
  public:
    void Add(const std::string& path, VirtualLine* line) { lines_[path] = line; }
    void Remove(const std::string& path) { lines_.erase(path); }
    // A path that exists but may not be opened (no permission).
    void Deny(const std::string& path) { denied_[path] = true; }
    VirtualLine* Find(const std::string& path) const;
    bool Denied(const std::string& path) const { return denied_.count(path) != 0; }

  private:
    std::map<std::string, VirtualLine*> lines_;
    std::map<std::string, bool> denied_;
};

// The PC's serial device on virtual lines.
class VirtualSerialDevice : public SerialDevice {
  public:
    explicit VirtualSerialDevice(VirtualLineSet& lines) : lines_(lines) {}
    ~VirtualSerialDevice() override { Close(); }

    OpenResult Open(const std::string& path) override;
    bool IsOpen() const override { return line_ != nullptr; }
    void Close() override;
    bool Apply(const LineSettings& settings) override;
    bool SetQueueSizes(std::uint32_t, std::uint32_t) override { return IsOpen(); }
    std::size_t Read(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs) override;
    long Write(const std::uint8_t* data, std::size_t count) override;
    SerialStatus QueryStatus() override;
    void WaitForOutput(std::uint32_t timeoutMs) override;
    void Purge(bool input, bool output) override;
    bool SetRts(bool on) override;

    VirtualLine* Line() const { return line_; }

  private:
    // The line, while this handle is on the device node it was opened on.
    VirtualLine* Live() const;

    VirtualLineSet& lines_;
    VirtualLine* line_ = nullptr;
    int enumeration_ = 0;
};

}  // namespace kell
