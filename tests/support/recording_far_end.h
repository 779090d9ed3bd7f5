#pragma once

#include <cstdint>
#include <vector>

#include "platform/line_device.h"
#include "platform/virtual/virtual_clock.h"

namespace kell::testing {

// A far end that records what the PC sends and never answers.
struct RecordingFarEnd : LineDevice {
    RecordingFarEnd(VirtualClock&, DevicePort&) {}
    void OnByteFromHost(std::uint8_t byte) override { received.push_back(byte); }

    std::vector<std::uint8_t> received;
};

}  // namespace kell::testing
