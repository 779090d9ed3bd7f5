#include "tests/support/line_faults.h"

#include <algorithm>
#include <numeric>

namespace kell::testing {

void LineFaults::Add(Fault fault) {
    if (fault.kind == Kind::LoseToDevice) {
        toDeviceLosses_.push_back(fault.atByte);
        UpdateNextToDevice();
    } else {
        toHostFaults_.push_back(std::move(fault));
    }
}

int LineFaults::FiredTotal() const {
    return std::accumulate(fired_.begin(), fired_.end(), 0);
}

void LineFaults::UpdateNextToDevice() {
    nextToDevice_ = UINT64_MAX;
    for (std::uint64_t at : toDeviceLosses_)
        nextToDevice_ = std::min(nextToDevice_, at);
}

void LineFaults::OnByteFromHost(std::uint8_t byte) {
    const std::uint64_t index = toDevice_++;
    if (index == nextToDevice_) {
        std::erase(toDeviceLosses_, index);
        UpdateNextToDevice();
        Count(Kind::LoseToDevice);
        return;
    }
    if (device_)
        device_->OnByteFromHost(byte);
}

void LineFaults::OnRtsChanged(bool on) {
    if (device_)
        device_->OnRtsChanged(on);
}

void LineFaults::OnHostOpened() {
    if (device_)
        device_->OnHostOpened();
}

void LineFaults::OnHostClosed() {
    if (device_)
        device_->OnHostClosed();
}

void LineFaults::SendToHost(const std::uint8_t* data, std::size_t count) {
    const std::uint64_t first = toHost_;
    toHost_ += count;
    if (silenced_)
        return;
    auto strikes = [&](const Fault& f) { return f.atByte >= first && f.atByte < toHost_; };
    if (std::none_of(toHostFaults_.begin(), toHostFaults_.end(), strikes)) {
        line_.SendToHost(data, count);
        return;
    }
    // An answer is one call: a fault that drops it drops every byte of it.
    for (const Fault& f : toHostFaults_) {
        if (f.kind == Kind::DropAnswer && strikes(f)) {
            Count(Kind::DropAnswer);
            std::erase_if(toHostFaults_, strikes);
            return;
        }
    }
    out_.clear();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint64_t index = first + i;
        std::uint8_t byte = data[i];
        bool lost = false;
        for (const Fault& f : toHostFaults_) {
            if (f.atByte != index)
                continue;
            switch (f.kind) {
                case Kind::LoseToHost:
                    lost = true;
                    break;
                case Kind::FlipToHost:
                    byte = static_cast<std::uint8_t>(byte ^ (1u << (f.bit & 7)));
                    break;
                case Kind::StrayToHost:
                    out_.insert(out_.end(), f.stray.begin(), f.stray.end());
                    break;
                case Kind::LoseToDevice:
                case Kind::DropAnswer:
                    break;
            }
            Count(f.kind);
        }
        if (!lost)
            out_.push_back(byte);
    }
    std::erase_if(toHostFaults_, strikes);
    if (!out_.empty())
        line_.SendToHost(out_.data(), out_.size());
}

}  // namespace kell::testing
