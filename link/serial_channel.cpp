#include "link/serial_channel.h"

#include <algorithm>
#include <cstring>

namespace kell {

namespace {

constexpr std::size_t kDrainLimit = 65536;
// A read that finds nothing takes at least this long, even when the device fails at once (a
// closed channel, an unplugged adapter): every loop that polls the line is paced by its reads,
// and must not spin a core on a port that is gone.
constexpr std::uint32_t kEmptyReadMs = 4;
// The longest a write facing a full output queue waits for it in one go.
constexpr std::uint32_t kOutputWaitSliceMs = 50;

LineSettings ToLineSettings(const PortSettings& s) {
    LineSettings line;
    line.baudRate = s.BaudRate;
    line.byteSize = s.ByteSize;
    line.parity = s.Parity;
    line.stopBits = s.StopBits;
    line.dtrOn = s.fDtrControl == 1;
    line.ctsFlow = s.fOutxCtsFlow != 0;
    line.xonXoffOutput = s.fOutX != 0;
    line.xonChar = s.XonChar;
    line.xoffChar = s.XoffChar;
    return line;
}

}  // namespace

TMonitorPSerie::TMonitorPSerie(SerialDevice& device, PortCatalog& ports, Clock& clock,
                               std::shared_ptr<PortLock> lock)
    : device_(device),
      ports_(ports),
      clock_(clock),
      lock_(lock ? std::move(lock) : std::make_shared<PortLock>()),
      bounce_(receiveSize_) {}

TMonitorPSerie::~TMonitorPSerie() {
    Close();
}

void TMonitorPSerie::Lock() {
    lock_->Lock();
}
void TMonitorPSerie::Unlock() {
    lock_->Unlock();
}

bool TMonitorPSerie::IsOpen() const {
    return device_.IsOpen();
}

std::string TMonitorPSerie::DeviceName() const {
    return ports_.DevicePath(portNumber_);
}

bool TMonitorPSerie::Open() {
    if (IsOpen())
        return true;
    PortLockGuard guard(*lock_);
    const std::string path = DeviceName();
    lastOpenResult_ = path.empty() ? OpenResult::NotFound : device_.Open(path);
    return IsOpen();
}

bool TMonitorPSerie::Configure(int portNumber, PortSettings settings) {
    portNumber_ = portNumber;
    // Only these members come from the caller; the channel fixes the rest.
    PortSettings applied{};
    applied.DCBlength = 28;
    applied.BaudRate = settings.BaudRate;
    applied.fBinary = 1;
    applied.fParity = settings.fParity;
    applied.fOutxCtsFlow = settings.fOutxCtsFlow;
    applied.fOutxDsrFlow = 0;
    applied.fDtrControl = settings.fDtrControl & 0x3;
    applied.fDsrSensitivity = 0;
    applied.fTXContinueOnXoff = 1;
    applied.fOutX = settings.fOutX;
    applied.fInX = 0;
    applied.fErrorChar = 0;
    applied.fNull = 0;
    applied.fRtsControl = 0;
    applied.fAbortOnError = 0;
    applied.XonLim = static_cast<std::uint16_t>(receiveSize_ / 4);
    applied.XoffLim = 1;
    applied.ByteSize = settings.ByteSize;
    applied.Parity = settings.Parity;
    applied.StopBits = settings.StopBits;
    applied.XonChar = 0x11;
    applied.XoffChar = 0x13;
    applied.ErrorChar = applied.EofChar = applied.EvtChar = 0;
    applied_ = applied;

    // Chosen before the lock is taken: the lock file is the device's own.
    lock_->UseDevice(ports_.DeviceIdentity(portNumber_));
    PortLockGuard guard(*lock_);
    if (IsOpen())
        Close();
    const bool opened = Open();
    // Settings, purge and queue sizes are applied even when the open failed; their results
    // do not count, as a port that opened is usable even if a setting was refused.
    device_.Apply(ToLineSettings(applied_));
    Purge(1, 1);
    device_.SetQueueSizes(receiveSize_, transmitSize_);
    return opened;
}

int TMonitorPSerie::OutputRoom() {
    int result = kRoomFailure;
    PortLockGuard guard(*lock_);
    if (IsOpen()) {
        SerialStatus status = device_.QueryStatus();
        status.errors |= heldErrors_;
        heldErrors_ = 0;
        if (status.ok && status.errors == 0 && status.outQueued <= transmitSize_) {
            result = static_cast<int>(transmitSize_ - status.outQueued);
        }
    }
    return result;
}

bool TMonitorPSerie::StillSending() {
    if (!IsOpen())
        return false;
    PortLockGuard guard(*lock_);
    const SerialStatus status = device_.QueryStatus();
    heldErrors_ |= status.errors;
    return status.ok && status.outQueued > 0;
}

int TMonitorPSerie::Write(const std::uint8_t* data, std::uint32_t count) {
    if (!IsOpen())
        return 0;
    PortLockGuard guard(*lock_);
    int total = 0;
    std::uint32_t mark = clock_.TickMs();
    while (count > 0) {
        const int room = OutputRoom();
        if (room == kRoomFailure) {
            total = -1;
            break;
        }
        if (room == 0) {
            // The stall guard is an inactivity limit: it runs from the last progress.
            const std::uint32_t idleMs = clock_.TickMs() - mark;
            if (idleMs > writeTimeoutMs_) {
                total = -1;
                break;
            }
            // Waits for the queue to move instead of polling it, in short slices: the device
            // waits on its own time, the guard runs on the channel's clock.
            device_.WaitForOutput(std::min(writeTimeoutMs_ + 1 - idleMs, kOutputWaitSliceMs));
            continue;
        }
        const std::uint32_t chunk = std::min(static_cast<std::uint32_t>(room), count);
        long written = device_.Write(data, chunk);
        if (written < 0)
            written = 0;
        const std::uint32_t now = clock_.TickMs();
        if (now - mark > writeTimeoutMs_) {
            Close();
            total = -1;
            break;
        }
        total += static_cast<int>(written);
        data += written;
        count -= static_cast<std::uint32_t>(written);
        if (written > 0)
            mark = now;
    }
    return total;
}

std::uint32_t TMonitorPSerie::Read(std::uint8_t* dest, std::uint32_t count) {
    if (count == kReadAvailable)
        count = receiveSize_;
    const std::int64_t startUs = clock_.MonotonicUs();
    const auto paceEmptyRead = [&] {
        const std::int64_t spentMs = (clock_.MonotonicUs() - startUs) / 1000;
        if (spentMs < kEmptyReadMs)
            clock_.SleepMs(kEmptyReadMs - static_cast<std::uint32_t>(spentMs));
    };
    if (!IsOpen()) {
        paceEmptyRead();
        return 0;
    }
    PortLockGuard guard(*lock_);
    dest[0] = 0;
    std::uint32_t total = 0;
    while (total < count && !bounce_.empty()) {
        const std::uint32_t chunk = std::min(count - total, receiveSize_);
        // What a read may wait when nothing has arrived: 2 ms plus 2 ms per byte asked for.
        const std::size_t got = device_.Read(bounce_.data(), chunk, 2 + 2 * chunk);
        if (got == 0)
            break;
        std::memcpy(dest + total, bounce_.data(), got);
        total += static_cast<std::uint32_t>(got);
    }
    if (total == 0)
        paceEmptyRead();
    return total;
}

std::size_t TMonitorPSerie::Drain() {
    if (!IsOpen())
        return 0;
    PortLockGuard guard(*lock_);
    std::size_t discarded = 0;
    std::uint8_t byte;
    // Bounded, so an instrument that never stops talking cannot hold the program here.
    while (discarded < kDrainLimit && device_.Read(&byte, 1, 0) == 1)
        ++discarded;
    return discarded;
}

void TMonitorPSerie::Purge(std::uint8_t receive, std::uint8_t transmit) {
    if (!IsOpen())
        return;
    PortLockGuard guard(*lock_);
    device_.Purge(receive != 0, transmit != 0);
}

void TMonitorPSerie::SetRts(std::uint8_t on) {
    if (!IsOpen())
        return;
    PortLockGuard guard(*lock_);
    device_.SetRts(on != 0);
}

void TMonitorPSerie::Close() {
    heldErrors_ = 0;
    if (!IsOpen())
        return;
    PortLockGuard guard(*lock_);
    device_.Close();
}

}  // namespace kell
