#include "platform/virtual/virtual_line.h"

#include <algorithm>

namespace kell {

VirtualLine::VirtualLine(VirtualClock& clock) : clock_(clock) {}

VirtualLine::~VirtualLine() {
    Drop(toDevice_);
    Drop(toHost_);
}

void VirtualLine::Send(Wire& wire, std::int64_t& freeUs, std::uint8_t byte, std::uint32_t baud) {
    const std::int64_t start = std::max(clock_.NowUs(), freeUs);
    const std::int64_t arrival = start + ByteTimeUs(baud);
    freeUs = arrival;
    wire.push_back(ByteOnWire{arrival, clock_.Reserve(), byte, baud});
    if (wire.size() == 1)
        ScheduleFirst(wire);
}

void VirtualLine::ScheduleFirst(Wire& wire) {
    if (!wire.empty())
        clock_.AtReserved(wire.front().arrivalUs, wire.front().place,
                          [this, &wire] { Arrive(wire); });
}

void VirtualLine::Arrive(Wire& wire) {
    const ByteOnWire arrived = wire.front();
    wire.pop_front();
    // The next byte is scheduled before this one is handed on, so that whatever the far end
    // does on receiving it (an unplug, a purge) finds every byte still on the wire cancellable.
    ScheduleFirst(wire);
    if (&wire == &toDevice_) {
        writtenSinceOpen_ = std::min(writtenSinceOpen_, toDevice_.size());
        DeliverToDevice(arrived.byte, arrived.sentAtBaud);
    } else {
        DeliverToHost(arrived.byte, arrived.sentAtBaud);
    }
}

void VirtualLine::Drop(Wire& wire) {
    if (!wire.empty())
        clock_.Cancel(wire.front().place);
    wire.clear();
}

void VirtualLine::SendToHost(const std::uint8_t* data, std::size_t count) {
    if (unplugged_)
        return;
    for (std::size_t i = 0; i < count; ++i)
        Send(toHost_, toHostFreeUs_, data[i], deviceBaud_);
}

void VirtualLine::SetAcceptingInput(bool accepting) {
    accepting_ = accepting;
    if (!accepting_)
        return;
    while (!stalled_.empty()) {
        std::uint8_t byte = stalled_.front();
        stalled_.pop_front();
        ScheduleToDevice(byte);
    }
}

void VirtualLine::Unplug() {
    unplugged_ = true;
    Drop(toDevice_);
    Drop(toHost_);
    stalled_.clear();
    adapter_.Discard();
    received_.clear();
}

void VirtualLine::LeaveBus() {
    if (!reenumerates || unplugged_)
        return;
    Unplug();
    if (onBusChange)
        onBusChange(false);
}

void VirtualLine::JoinBus() {
    if (!reenumerates || !unplugged_)
        return;
    // A new node: the old handle neither holds it nor reaches it.
    ++enumeration_;
    unplugged_ = false;
    hostOpen_ = false;
    if (onBusChange)
        onBusChange(true);
}

void VirtualLine::HostOpened() {
    hostOpen_ = true;
    writtenSinceOpen_ = 0;
    received_.clear();
    pendingErrors_ = 0;
    if (device_)
        device_->OnHostOpened();
}

void VirtualLine::HostClosed() {
    hostOpen_ = false;
    adapter_.Discard();
    received_.clear();
    stalled_.clear();
    if (device_)
        device_->OnHostClosed();
}

std::size_t VirtualLine::HostRead(std::uint8_t* dest, std::size_t max, std::uint32_t timeoutMs) {
    if (unplugged_ || max == 0)
        return 0;
    const std::int64_t deadline = clock_.NowUs() + static_cast<std::int64_t>(timeoutMs) * 1000;
    clock_.AdvanceUntil([this] { return !received_.empty() || unplugged_; }, deadline);
    std::size_t n = std::min(max, received_.size());
    for (std::size_t i = 0; i < n; ++i) {
        dest[i] = received_.front();
        received_.pop_front();
    }
    return n;
}

long VirtualLine::HostWrite(const std::uint8_t* data, std::size_t count) {
    if (unplugged_)
        return -1;
    std::size_t queued = HostOutQueued();
    std::size_t room = queued >= kQueueSize ? 0 : kQueueSize - queued;
    std::size_t n = std::min(count, room);
    for (std::size_t i = 0; i < n; ++i) {
        if (accepting_) {
            ScheduleToDevice(data[i]);
            ++writtenSinceOpen_;
        } else {
            stalled_.push_back(data[i]);
        }
    }
    return static_cast<long>(n);
}

SerialStatus VirtualLine::HostStatus() {
    if (unplugged_)
        return SerialStatus{false, kLineErrorDevice, 0};
    SerialStatus status{true, pendingErrors_, static_cast<std::uint32_t>(HostOutQueued())};
    pendingErrors_ = 0;
    return status;
}

void VirtualLine::HostWaitForOutput(std::uint32_t timeoutMs) {
    const std::size_t queued = HostOutQueued();
    if (unplugged_ || queued == 0)
        return;
    const std::int64_t deadline = clock_.NowUs() + static_cast<std::int64_t>(timeoutMs) * 1000;
    clock_.AdvanceUntil([&] { return unplugged_ || HostOutQueued() < queued; }, deadline);
}

void VirtualLine::HostPurge(bool input, bool output) {
    // What the adapter still holds is not the PC's to purge: it arrives afterwards.
    if (input)
        received_.clear();
    if (output) {
        // Only what was written through this opening is discarded: bytes written before the
        // port was closed and opened again were already the driver's to send.
        const std::size_t discard = std::min(writtenSinceOpen_, toDevice_.size());
        if (discard == toDevice_.size())
            Drop(toDevice_);
        else
            toDevice_.resize(toDevice_.size() - discard);  // the first, scheduled, stays
        writtenSinceOpen_ = 0;
        stalled_.clear();
        if (toDevice_.empty())
            toDeviceFreeUs_ = clock_.NowUs();
    }
}

void VirtualLine::HostSetRts(bool on) {
    if (device_ && !unplugged_)
        device_->OnRtsChanged(on);
}

void VirtualLine::ScheduleToDevice(std::uint8_t byte) {
    Send(toDevice_, toDeviceFreeUs_, byte, hostBaud_);
}

void VirtualLine::DeliverToDevice(std::uint8_t byte, std::uint32_t sentAtBaud) {
    if (tap_)
        tap_(Direction::ToDevice, clock_.NowUs(), byte);
    if (device_ && sentAtBaud == deviceBaud_)
        device_->OnByteFromHost(byte);
}

void VirtualLine::DeliverToHost(std::uint8_t byte, std::uint32_t sentAtBaud) {
    if (tap_)
        tap_(Direction::ToHost, clock_.NowUs(), byte);
    if (!hostOpen_)
        return;
    if (sentAtBaud != hostBaud_) {
        pendingErrors_ |= kLineErrorFraming;
        return;
    }
    adapter_.Take(byte);
}

void VirtualLine::ReceiveAtHost(std::uint8_t byte) {
    if (received_.size() >= kQueueSize) {
        pendingErrors_ |= kLineErrorOverrun;
    } else {
        received_.push_back(byte);
    }
}

VirtualLine* VirtualLineSet::Find(const std::string& path) const {
    auto it = lines_.find(path);
    return it == lines_.end() ? nullptr : it->second;
}

OpenResult VirtualSerialDevice::Open(const std::string& path) {
    Close();
    if (lines_.Denied(path))
        return OpenResult::PermissionDenied;
    VirtualLine* line = lines_.Find(path);
    if (!line || line->Unplugged())
        return OpenResult::NotFound;
    if (line->HostOpen())
        return OpenResult::Busy;
    line_ = line;
    enumeration_ = line->Enumeration();
    line_->HostOpened();
    return OpenResult::Ok;
}

VirtualLine* VirtualSerialDevice::Live() const {
    return line_ && line_->Enumeration() == enumeration_ ? line_ : nullptr;
}

void VirtualSerialDevice::Close() {
    if (!line_)
        return;
    if (Live())
        line_->HostClosed();
    line_ = nullptr;
}

bool VirtualSerialDevice::Apply(const LineSettings& settings) {
    VirtualLine* line = Live();
    if (!line || line->Unplugged())
        return false;
    line->HostSetBaud(settings.baudRate);
    return true;
}

std::size_t VirtualSerialDevice::Read(std::uint8_t* dest, std::size_t max,
                                      std::uint32_t timeoutMs) {
    if (VirtualLine* line = Live())
        return line->HostRead(dest, max, timeoutMs);
    // A handle on a node that is gone finds nothing, at once.
    return 0;
}

long VirtualSerialDevice::Write(const std::uint8_t* data, std::size_t count) {
    VirtualLine* line = Live();
    return line ? line->HostWrite(data, count) : -1;
}

SerialStatus VirtualSerialDevice::QueryStatus() {
    if (!line_)
        return SerialStatus{};
    VirtualLine* line = Live();
    return line ? line->HostStatus() : SerialStatus{false, kLineErrorDevice, 0};
}

void VirtualSerialDevice::WaitForOutput(std::uint32_t timeoutMs) {
    if (line_)
        line_->HostWaitForOutput(timeoutMs);
}

void VirtualSerialDevice::Purge(bool input, bool output) {
    if (VirtualLine* line = Live())
        line->HostPurge(input, output);
}

bool VirtualSerialDevice::SetRts(bool on) {
    VirtualLine* line = Live();
    if (!line || line->Unplugged())
        return false;
    line->HostSetRts(on);
    return true;
}

}  // namespace kell
