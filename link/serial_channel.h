#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "link/port_lock.h"
#include "link/port_settings.h"
#include "platform/clock.h"
#include "platform/port_catalog.h"
#include "platform/serial_device.h"

namespace kell {

// The one serial channel every byte to and from the instrument passes through. It opens a
// numbered port, applies the line settings, writes with a guard against a stalled line, reads
// what has arrived, purges and drives RTS. It knows nothing of the protocol. Every operation on
// a closed channel is harmless.
class TMonitorPSerie {
  public:
    static constexpr std::uint32_t kReadAvailable = 0xFFFFFFFF;
    static constexpr int kRoomFailure = 0xFFFF;

    TMonitorPSerie(SerialDevice& device, PortCatalog& ports, Clock& clock,
                   std::shared_ptr<PortLock> lock = nullptr);
    ~TMonitorPSerie();
    TMonitorPSerie(const TMonitorPSerie&) = delete;
    TMonitorPSerie& operator=(const TMonitorPSerie&) = delete;

    // Closes the port if open, opens port `portNumber` and applies the settings. True when the
    // port is open (a refused setting does not count against it).
    bool Configure(int portNumber, PortSettings settings);
    bool Open();
    bool IsOpen() const;
    // Bytes written, -1 on failure (line error, stalled for more than the write time-out), 0 when
    // the port is closed.
    int Write(const std::uint8_t* data, std::uint32_t count);
    int Write(const std::vector<std::uint8_t>& data) {
        return Write(data.data(), static_cast<std::uint32_t>(data.size()));
    }
    // What arrives within a few milliseconds, up to count bytes (kReadAvailable: up to the
    // receive size). dest must hold at least one byte; dest[0] is set to 0 first.
    std::uint32_t Read(std::uint8_t* dest, std::uint32_t count);
    // Free bytes in the output queue, or kRoomFailure when a line error is pending (the query
    // clears it) or the status cannot be read.
    int OutputRoom();
    // Whether bytes written are still queued for the wire. Line errors the query finds are kept
    // for the next OutputRoom, which reports them as it would have.
    bool StillSending();
    void Purge(std::uint8_t receive, std::uint8_t transmit);
    void SetRts(std::uint8_t on);
    void Close();
    void Lock();
    void Unlock();

    // Discards what has already arrived, without waiting for more; returns how many bytes.
    std::size_t Drain();

    int PortNumber() const { return portNumber_; }
    // The device path behind the port number, as the port catalog maps it.
    std::string DeviceName() const;
    // Why the last open failed (permission, busy, absent), Ok after a good open.
    OpenResult LastOpenResult() const { return lastOpenResult_; }
    // The settings last applied by Configure, as the channel completed them.
    const PortSettings& LineSettingsApplied() const { return applied_; }
    std::uint32_t ReceiveSize() const { return receiveSize_; }
    std::uint32_t WriteTimeoutMs() const { return writeTimeoutMs_; }

  private:
    SerialDevice& device_;
    PortCatalog& ports_;
    Clock& clock_;
    std::shared_ptr<PortLock> lock_;
    PortSettings applied_{};
    int portNumber_ = 0;
    std::uint32_t receiveSize_ = 2048;
    std::uint32_t transmitSize_ = 2048;
    std::uint32_t writeTimeoutMs_ = 4000;
    std::vector<std::uint8_t> bounce_;
    std::uint32_t heldErrors_ = 0;  // found by StillSending, not yet reported
    OpenResult lastOpenResult_ = OpenResult::NotFound;
};

}  // namespace kell
