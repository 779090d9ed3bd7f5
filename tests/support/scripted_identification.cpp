#include "tests/support/scripted_identification.h"

#include <utility>

namespace kell::testing {
namespace {

constexpr std::uint8_t kAck = 0x10;

std::uint32_t Key(std::uint8_t function, std::size_t address) {
    return static_cast<std::uint32_t>(function) << 16 | (address & 0xFFFF);
}

}  // namespace

ScriptedIdentification::ScriptedIdentification(const Voice& voice) : voice_(voice) {
    Poke(0x00, 0x6030, {0x02, 0x04});  // the model
    Poke(0x00, 0xFEA0, {40});          // the level
    Poke(0x18, 0x0010, {'2', '.', '0', '4', 0, 0, '0', '0', '0', '0', '0', 0});
    Poke(0x1E, 0x0002, {0x00, 103, 1});  // plan version 103 (high, low), type 1
    Poke(0x30, 0x000A, {4, 3});          // FPGA 3.4 (minor, major)
}

void ScriptedIdentification::Poke(std::uint8_t function, std::uint16_t address,
                                  const Bytes& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        memory_[Key(function, address + i)] = bytes[i];
}

Bytes ScriptedIdentification::Read(std::uint8_t function, std::uint16_t address,
                                   std::size_t count) const {
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i) {
        const auto it = memory_.find(Key(function, address + i));
        bytes.push_back(it == memory_.end() ? 0 : it->second);
    }
    return bytes;
}

std::optional<std::size_t> ScriptedIdentification::FrameLength(const Bytes& start) const {
    switch (start[0]) {
        case 0x01:  // command: five bytes, six for a parameter read
            return start.size() < 2 ? 0 : (start[1] == 0x42 ? 6 : 5);
        case 0x02:  // call frame: its length byte counts what follows it
            return start.size() < 2 ? 0 : 2u + start[1];
        case 0x5A:  // buffer frame: address, 128 bytes, check byte
            return 133;
        case 0x00:
        case 0x0A:
        case 0xBF:
        case 0xC0:
            return 1;
        default:
            return std::nullopt;
    }
}

void ScriptedIdentification::OnFrame(const Bytes& frame) {
    const bool running = facts.mode == IdentityFacts::Mode::Running;
    switch (frame[0]) {
        case 0x00:
            OnProbe();
            break;
        case 0x0A:
            ++endsOfLink;
            break;
        case 0x01:
            OnCommand(frame);
            break;
        case 0x02:  // selector, word and data; a shorter frame is not a call
            if (frame.size() < 5)
                break;
            calls.push_back({frame[2],
                             static_cast<std::uint16_t>(frame[3] | frame[4] << 8),
                             {frame.begin() + 5, frame.end()}});
            break;
        case 0x5A:
            bufferFrames.push_back(frame);
            Answer({0xA5});
            break;
        case 0xBF:  // the module: version 162, build 0, decoders and boot 1
            if (running)
                Answer({0xFB, 0x06, 0x00, 162, 0x00, 0x00, 0x01, 0x01});
            break;
        case 0xC0: {
            Bytes reply = {0x0C, 0x40};
            reply.resize(2 + 64, 0x00);
            if (running)
                Answer(reply);
            break;
        }
        default:
            break;
    }
}

void ScriptedIdentification::OnProbe() {
    ++probes;
    if (probes <= facts.unansweredProbes)
        return;
    switch (facts.mode) {
        case IdentityFacts::Mode::Running:
            Answer({0x5D});
            break;
        case IdentityFacts::Mode::Bootstrap:
            Answer({0xD5});
            break;
        case IdentityFacts::Mode::Busy:
            Answer({0x6D});
            break;
        case IdentityFacts::Mode::Silent:
            break;
    }
}

void ScriptedIdentification::OnCommand(const Bytes& f) {
    // Only the running firmware answers commands; the bootstrap mode waits for its loader.
    if (facts.mode != IdentityFacts::Mode::Running)
        return;
    const std::uint16_t address = static_cast<std::uint16_t>(f[2] | f[3] << 8);
    Bytes reply = {kAck};
    if (f[1] == 0x42) {
        reply.insert(reply.end(), {f[2], f[3], 0x02, 0x01, 0x00});  // every parameter reads 1
    } else if (f[1] == 0x50) {
        const std::uint8_t count = (f[4] >> 4) & 0x07;
        Bytes data(count + 1u, 0x00);  // a status without faults
        data[0] = f[3];
        reply.push_back(static_cast<std::uint8_t>(data.size()));
        reply.insert(reply.end(), data.begin(), data.end());
    } else {
        reply.push_back(f[4]);
        const Bytes data = Read(f[1], address, f[4]);
        reply.insert(reply.end(), data.begin(), data.end());
    }
    Answer(reply);
}

}  // namespace kell::testing
