#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kell {

// Line settings applied to an open device. StopBits uses the Win32 codes (0 = one, 1 = one and a
// half, 2 = two) because that is what the channel's settings record carries.
struct LineSettings {
    std::uint32_t baudRate = 115200;
    std::uint8_t byteSize = 8;
    std::uint8_t parity = 0;  // 0 none, 1 odd, 2 even
    std::uint8_t stopBits = 2;
    bool dtrOn = true;
    bool ctsFlow = false;
    bool xonXoffOutput = false;
    std::uint8_t xonChar = 0x11;
    std::uint8_t xoffChar = 0x13;
};

enum class OpenResult { Ok, NotFound, PermissionDenied, Busy, Failed };

// Line error flags reported by QueryStatus.
enum LineError : std::uint32_t {
    kLineErrorNone = 0,
    kLineErrorOverrun = 1u << 0,
    kLineErrorFraming = 1u << 1,
    kLineErrorParity = 1u << 2,
    kLineErrorBreak = 1u << 3,
    kLineErrorDevice = 1u << 4,  // the device went away (unplugged) or the status call failed
};

struct SerialStatus {
    bool ok = false;              // false: the status could not be read (counts as an error)
    std::uint32_t errors = 0;     // pending line errors, cleared by the query that returned them
    std::uint32_t outQueued = 0;  // bytes written but not yet sent on the wire
};

// One serial device, opened exclusively by path. Every call on a closed device is harmless.
class SerialDevice {
  public:
    virtual ~SerialDevice() = default;

    virtual OpenResult Open(const std::string& path) = 0;
    virtual bool IsOpen() const = 0;
    virtual void Close() = 0;

    virtual bool Apply(const LineSettings& settings) = 0;
    virtual bool SetQueueSizes(std::uint32_t input, std::uint32_t output) = 0;

    // Returns at once with what has arrived (up to max). When nothing has arrived it waits up to
    // timeoutMs for the first byte and then returns what is there. Never blocks longer.
    virtual std::size_t Read(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs) = 0;
    // Queues bytes for sending; returns how many were taken, or -1 on failure. Callers keep each
    // write within the room that QueryStatus reports, so this does not block for long.
    virtual long Write(const std::uint8_t* data, std::size_t count) = 0;
    // Output queue fill and pending line errors, read and cleared together. Never waits.
    virtual SerialStatus QueryStatus() = 0;
    // Waits until some of the output queued now has left (the queue holds less than it did at
    // the call), the device fails or goes away, or timeoutMs passes; at once when nothing is
    // queued. A writer facing a full queue waits here instead of polling the status.
    virtual void WaitForOutput(std::uint32_t timeoutMs) = 0;
    virtual void Purge(bool input, bool output) = 0;
    virtual bool SetRts(bool on) = 0;
};

}  // namespace kell
