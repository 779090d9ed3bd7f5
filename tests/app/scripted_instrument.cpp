#include "tests/app/scripted_instrument.h"

namespace kell::testing {
namespace {

constexpr std::uint8_t kAck = 0x10;
// A frame left half-received is dropped after this, as the instrument's own reader does.
constexpr std::int64_t kFrameGapUs = 100'000;

}  // namespace

ScriptedInstrument::ScriptedInstrument(VirtualClock& clock, DevicePort& port,
                                       InstrumentFacts facts_)
    : facts(facts_), clock_(clock), port_(port) {
    Poke(0x00, 0x6030, {0x02, 0x04});  // an Orvo
    Poke(0x00, 0xFEA0, {40});          // the level
    Poke(0x18, 0x0010, {'2', '.', '0', '4', 0, 0, '0', '0', '0', '0', '0', 0});
    Poke(0x1E, 0x0002, {0x00, 103, 1});  // plan version 103 (high, low), type 1
    Poke(0x30, 0x000A, {4, 3});          // FPGA 3.4 (minor, major)
}

void ScriptedInstrument::Poke(std::uint8_t function, std::uint16_t address,
                              const std::vector<std::uint8_t>& bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i)
        memory_[static_cast<std::uint32_t>(function) << 16 | ((address + i) & 0xFFFF)] = bytes[i];
}

std::vector<std::uint8_t> ScriptedInstrument::Read(std::uint8_t function, std::uint16_t address,
                                                   std::size_t count) const {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < count; ++i) {
        auto it =
            memory_.find(static_cast<std::uint32_t>(function) << 16 | ((address + i) & 0xFFFF));
        bytes.push_back(it == memory_.end() ? 0 : it->second);
    }
    return bytes;
}

void ScriptedInstrument::Send(std::vector<std::uint8_t> bytes, std::int64_t delayUs) {
    clock_.After(delayUs, [this, bytes] { port_.SendToHost(bytes.data(), bytes.size()); });
}

void ScriptedInstrument::OnHostOpened() {
    ++opens;
    pending_.clear();
    if (onOpened)
        onOpened();
}

void ScriptedInstrument::OnHostClosed() {
    pending_.clear();
}

void ScriptedInstrument::OnRtsChanged(bool on) {
    if (on && !rts_)
        ++rtsPulses;
    rts_ = on;
}

void ScriptedInstrument::OnByteFromHost(std::uint8_t byte) {
    received.push_back(byte);
    if (!pending_.empty() && clock_.NowUs() - lastByteUs_ > kFrameGapUs)
        pending_.clear();
    lastByteUs_ = clock_.NowUs();
    pending_.push_back(byte);
    const std::size_t length = FrameLength(pending_);
    if (length == 0 || pending_.size() < length)
        return;
    const std::vector<std::uint8_t> frame = std::move(pending_);
    pending_.clear();
    OnFrame(frame);
}

std::size_t ScriptedInstrument::FrameLength(const std::vector<std::uint8_t>& start) {
    switch (start[0]) {
        case 0x01:  // command: five bytes, six for a parameter read
            return start.size() < 2 ? 0 : (start[1] == 0x42 ? 6 : 5);
        case 0x02:  // call frame: its length byte counts what follows it
            return start.size() < 2 ? 0 : 2u + start[1];
        case 0x5A:  // buffer frame: address, 128 bytes, check byte
            return 133;
        default:
            return 1;
    }
}

void ScriptedInstrument::OnFrame(const std::vector<std::uint8_t>& frame) {
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
        case 0x02:
            calls.push_back({frame[2],
                             static_cast<std::uint16_t>(frame[3] | frame[4] << 8),
                             {frame.begin() + 5, frame.end()}});
            break;
        case 0x5A:
            bufferFrames.push_back(frame);
            Send({0xA5}, facts.answerUs);
            break;
        case 0xBF:  // the module: version 162, build 0, decoders and boot 1
            if (facts.mode == InstrumentFacts::Mode::Running)
                Send({0xFB, 0x06, 0x00, 162, 0x00, 0x00, 0x01, 0x01}, facts.answerUs);
            break;
        case 0xC0: {
            std::vector<std::uint8_t> reply = {0x0C, 0x40};
            reply.resize(2 + 64, 0x00);
            if (facts.mode == InstrumentFacts::Mode::Running)
                Send(reply, facts.answerUs);
            break;
        }
        default:
            break;  // not a command of this instrument
    }
}

void ScriptedInstrument::OnProbe() {
    ++probes;
    if (probes <= facts.unansweredProbes)
        return;
    switch (facts.mode) {
        case InstrumentFacts::Mode::Running:
            Send({0x5D}, facts.answerUs);
            break;
        case InstrumentFacts::Mode::Bootstrap:
            Send({0xD5}, facts.answerUs);
            break;
        case InstrumentFacts::Mode::Busy:
            Send({0x6D}, facts.answerUs);
            break;
        case InstrumentFacts::Mode::Silent:
            break;
    }
}

void ScriptedInstrument::OnCommand(const std::vector<std::uint8_t>& f) {
    // Only the running firmware answers commands; the bootstrap mode waits for its loader.
    if (facts.mode != InstrumentFacts::Mode::Running)
        return;
    const std::uint16_t address = static_cast<std::uint16_t>(f[2] | f[3] << 8);
    std::vector<std::uint8_t> reply = {kAck};
    if (f[1] == 0x42) {
        reply.insert(reply.end(), {f[2], f[3], 0x02, 0x01, 0x00});  // every parameter reads 1
    } else if (f[1] == 0x50) {
        const std::uint8_t count = (f[4] >> 4) & 0x07;
        std::vector<std::uint8_t> data(count + 1u, 0x00);  // a status without faults
        data[0] = f[3];
        reply.push_back(static_cast<std::uint8_t>(data.size()));
        reply.insert(reply.end(), data.begin(), data.end());
    } else {
        reply.push_back(f[4]);
        const std::vector<std::uint8_t> data = Read(f[1], address, f[4]);
        reply.insert(reply.end(), data.begin(), data.end());
    }
    Send(reply, facts.answerUs);
}

}  // namespace kell::testing
