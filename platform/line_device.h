#pragma once

#include <cstddef>
#include <cstdint>

namespace kell {

// The far end of a serial line, as the simulated instrument sees it.
class DevicePort {
  public:
    virtual ~DevicePort() = default;

    // Bytes to the PC; each takes its wire time at the device's speed.
    virtual void SendToHost(const std::uint8_t* data, std::size_t count) = 0;
    // The speed the device sends and listens at. Bytes sent at another speed than the
    // receiver's arrive as line errors, not as data.
    virtual void SetDeviceBaud(std::uint32_t baud) = 0;
    virtual std::uint32_t DeviceBaud() const = 0;
    // The device stops (or resumes) taking bytes from the PC: the PC's output queue fills.
    virtual void SetAcceptingInput(bool accepting) = 0;
    // The port disappears as a USB unplug makes it: the PC's open handle fails from now on.
    virtual void Unplug() = 0;
    // Plugged in again after Unplug, as the same device; a port that cannot be does nothing.
    virtual void Replug() {}
    // The device restarts: a USB device drops off the bus and enumerates again when it is back,
    // possibly under another name; a port of the machine's own stays as it is (the default).
    virtual void LeaveBus() {}
    virtual void JoinBus() {}
};

// What a device attached to a line implements.
class LineDevice {
  public:
    virtual ~LineDevice() = default;

    virtual void OnByteFromHost(std::uint8_t byte) = 0;
    virtual void OnRtsChanged(bool on) {}
    virtual void OnHostOpened() {}
    virtual void OnHostClosed() {}
};

}  // namespace kell
