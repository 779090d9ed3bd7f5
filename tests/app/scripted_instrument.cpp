#include "tests/app/scripted_instrument.h"

namespace kell::testing {
namespace {

constexpr std::uint8_t kAck = 0x10;
// A frame left half-received is dropped after this, as the instrument's own reader does.
constexpr std::int64_t kFrameGapUs = 100'000;

void PutText(std::vector<std::uint8_t>& bytes, const std::string& text, std::size_t size) {
    bytes.assign(size, 0);
    for (std::size_t i = 0; i < text.size() && i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(text[i]);
}

}  // namespace

ScriptedInstrument::ScriptedInstrument(VirtualClock& clock, DevicePort& port,
                                       InstrumentFacts facts_)
    : facts(std::move(facts_)), clock_(clock), port_(port) {
    const InstrumentFacts& f = facts;
    Poke(0x00, 0x6000, {f.identity.begin(), f.identity.end()});
    Poke(0x00, 0x6030, {f.hardwareType[0], f.hardwareType[1]});
    Poke(0x00, 0x6010 + 26, {static_cast<std::uint8_t>(f.threeFpgaConfigurations ? 0x00 : 0x20)});
    Poke(0x00, 0xFEA0, {f.level});
    std::vector<std::uint8_t> text;
    PutText(text, f.region, 4);
    Poke(0x18, 0x000C, text);
    PutText(text, f.firmwareRelease, 6);
    Poke(0x18, 0x0010, text);
    PutText(text, f.firmwareBuild, 6);
    Poke(0x18, 0x0016, text);
    Poke(0x1E, 0x0002,
         {static_cast<std::uint8_t>(f.planVersion >> 8), static_cast<std::uint8_t>(f.planVersion),
          f.planType});
    Poke(0x30, 0x000A, {f.fpgaMinor, f.fpgaMajor});
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
        case 0xBF:
            OnModuleIdentity();
            break;
        case 0xC0:
            if (facts.module.present) {
                std::vector<std::uint8_t> reply = {0x0C, 0x40};
                reply.resize(2 + 64, 0x00);
                Send(reply, facts.answerUs);
            }
            break;
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
        std::uint8_t b4 = 0, b5 = 0;
        if (address == 526) {
            b4 = facts.zone;
        } else if (address == 562) {
            if (!facts.answersParameter562)
                return;
            b5 = facts.setting562;
        } else if (address == 571) {
            b4 = static_cast<std::uint8_t>(facts.setting571);
            b5 = static_cast<std::uint8_t>(facts.setting571 >> 8);
        }
        reply.insert(reply.end(), {f[2], f[3], 0x02, b4, b5});
    } else if (f[1] == 0x50) {
        const std::uint8_t reg = f[4] & 0x0F;
        const std::uint8_t count = (f[4] >> 4) & 0x07;
        std::vector<std::uint8_t> data(count + 1u, 0x00);
        data[0] = f[3];
        if (count > 0)
            data[1] = reg == 8 ? facts.peripheralStatus8
                               : (reg == 12 ? facts.peripheralStatus12 : std::uint8_t{0});
        reply.push_back(static_cast<std::uint8_t>(data.size()));
        reply.insert(reply.end(), data.begin(), data.end());
    } else {
        reply.push_back(f[4]);
        const std::vector<std::uint8_t> data = Read(f[1], address, f[4]);
        reply.insert(reply.end(), data.begin(), data.end());
    }
    Send(reply, facts.answerUs);
}

void ScriptedInstrument::OnModuleIdentity() {
    ++moduleQueries;
    const InstrumentFacts::Module& m = facts.module;
    if (!m.present || facts.mode != InstrumentFacts::Mode::Running)
        return;
    std::uint16_t version = m.version;
    if (moduleQueries <= m.reportsNoSoftware)
        version = 0;
    Send({0xFB, 0x06, static_cast<std::uint8_t>(version >> 8), static_cast<std::uint8_t>(version),
          static_cast<std::uint8_t>(m.build >> 8), static_cast<std::uint8_t>(m.build), m.decoders,
          m.boot},
         facts.answerUs);
}

}  // namespace kell::testing
