#include "platform/virtual/adapter_receive_buffer.h"

#include <utility>

namespace kell {

AdapterReceiveBuffer::AdapterReceiveBuffer(VirtualClock& clock, PassOn passOn)
    : clock_(clock), passOn_(std::move(passOn)) {
    packet_.reserve(kPacketSize);
}

AdapterReceiveBuffer::~AdapterReceiveBuffer() {
    Discard();
}

void AdapterReceiveBuffer::SetLatencyMs(std::uint32_t ms) {
    Flush();
    latencyMs_ = ms;
}

void AdapterReceiveBuffer::Take(std::uint8_t byte) {
    if (latencyMs_ == 0) {
        passOn_(byte);
        return;
    }
    packet_.push_back(byte);
    if (packet_.size() >= kPacketSize) {
        Flush();
        return;
    }
    if (!tick_) {
        // The timer runs freely: its ticks fall on whole multiples of the latency.
        const std::int64_t periodUs = static_cast<std::int64_t>(latencyMs_) * 1000;
        const std::int64_t nextTickUs = (clock_.NowUs() / periodUs + 1) * periodUs;
        tick_ = clock_.At(nextTickUs, [this] {
            tick_.reset();
            Flush();
        });
    }
}

void AdapterReceiveBuffer::Discard() {
    if (tick_)
        clock_.Cancel(*tick_);
    tick_.reset();
    packet_.clear();
}

void AdapterReceiveBuffer::Flush() {
    if (tick_)
        clock_.Cancel(*tick_);
    tick_.reset();
    for (std::uint8_t byte : packet_)
        passOn_(byte);
    packet_.clear();
}

}  // namespace kell
