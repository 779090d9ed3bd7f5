// The 0x01 command family (memory reads, parameters, peripheral status) and the MPEG4 module's
// identification.
#include "sim/hex_text.h"
#include "sim/instrument.h"

namespace kell::sim {
namespace {

constexpr std::uint8_t kAck = 0x10;
constexpr std::uint8_t kReadParameter = 0x42;
constexpr std::uint8_t kQueryPeripheral = 0x50;
constexpr std::uint8_t kPeripheralDevice = 0x3F;

bool IsMemoryFunction(std::uint8_t function) {
    return function == 0x00 || function == 0x18 || function == 0x1E || function == 0x30;
}

}  // namespace

void Instrument::OnCommand01(const std::vector<std::uint8_t>& f) {
    switch (f[1]) {
        case kReadParameter:
            OnReadParameter(f);
            break;
        case kQueryPeripheral:
            OnQueryPeripheral(f);
            break;
        default:
            OnReadWords(f);
            break;
    }
}

// 0x01, function (the segment), address low, high, length -> 0x10, one byte, the data.
void Instrument::OnReadWords(const std::vector<std::uint8_t>& f) {
    const std::uint8_t function = f[1];
    if (!IsMemoryFunction(function)) {
        Violate(ViolationKind::BadAddress, "0x01 function " + HexByte(function) + " is not served");
        return;
    }
    const std::uint16_t address = static_cast<std::uint16_t>(f[2] | f[3] << 8);
    const std::uint8_t length = f[4];
    FaultEffect effect = Occur(Event::ReadWords);
    if (effect.unplug)
        return;
    std::vector<std::uint8_t> reply = {kAck, length};
    auto data = memory_.ReadFunction(function, address, length);
    reply.insert(reply.end(), data.begin(), data.end());
    Answer(effect, std::move(reply), T().answerUs);
}

// 0x01 0x42 id low, id high, 0x04 0x00 -> 0x10 and five reply bytes: the identifier, the value
// length (2) and the value's two bytes (reply bytes 4 and 5).
void Instrument::OnReadParameter(const std::vector<std::uint8_t>& f) {
    const std::uint16_t id = static_cast<std::uint16_t>(f[2] | f[3] << 8);
    if (f[4] != 0x04 || f[5] != 0x00) {
        Violate(ViolationKind::BadConstant,
                "parameter read ends " + HexBytes({f[4], f[5]}) + "instead of 04 00");
    }
    std::uint8_t b4 = 0, b5 = 0;
    switch (id) {
        case 526:
            b4 = scenario_.zone;
            break;
        case 562:
            b5 = scenario_.setting562;
            break;
        case 571:
            b4 = static_cast<std::uint8_t>(scenario_.setting571);
            b5 = static_cast<std::uint8_t>(scenario_.setting571 >> 8);
            break;
        default:
            break;  // every other parameter reads as zero
    }
    FaultEffect effect = Occur(Event::ReadParameter);
    if (effect.unplug)
        return;
    Answer(effect, {kAck, f[2], f[3], 0x02, b4, b5}, T().answerUs);
}

// 0x01 0x50 device, buffer byte, flags (register, read flag, count) -> 0x10, n, n bytes: the
// buffer byte echoed and `count` status bytes.
void Instrument::OnQueryPeripheral(const std::vector<std::uint8_t>& f) {
    const std::uint8_t device = f[2];
    const std::uint8_t reg = f[4] & 0x0F;
    const bool read = (f[4] & 0x80) != 0;
    const std::uint8_t count = (f[4] >> 4) & 0x07;
    if (device & 0x80) {
        Violate(ViolationKind::BadConstant, "peripheral device byte " + HexByte(device));
    }
    if (!read) {
        Violate(ViolationKind::BadConstant, "peripheral query without the read flag");
    }
    std::vector<std::uint8_t> data(count + 1u, 0x00);
    data[0] = f[3];
    if (count > 0 && device == kPeripheralDevice) {
        if (reg == 8)
            data[1] = scenario_.peripheralStatus8;
        if (reg == 12)
            data[1] = scenario_.peripheralStatus12;
    }
    FaultEffect effect = Occur(Event::QueryPeripheral);
    if (effect.unplug)
        return;
    std::vector<std::uint8_t> reply = {kAck, static_cast<std::uint8_t>(data.size())};
    reply.insert(reply.end(), data.begin(), data.end());
    Answer(effect, std::move(reply), T().answerUs);
}

// 0xBF -> 0xFB, a byte, version (high, low), build (high, low), decoders, boot.
void Instrument::OnModuleIdentity() {
    FaultEffect effect = Occur(Event::ModuleIdentity);
    if (effect.unplug)
        return;
    const ModuleIdentity& m = scenario_.module;
    std::vector<std::uint8_t> reply;
    if (m.present) {
        reply = {0xFB,
                 0x06,
                 static_cast<std::uint8_t>(m.version >> 8),
                 static_cast<std::uint8_t>(m.version),
                 static_cast<std::uint8_t>(m.build >> 8),
                 static_cast<std::uint8_t>(m.build),
                 m.decoders,
                 m.boot};
    }
    Answer(effect, std::move(reply), T().answerUs);
}

// 0xC0 -> 0x0C, a byte, the module's 64-byte serial number.
void Instrument::OnModuleSerial() {
    FaultEffect effect = Occur(Event::ModuleSerial);
    if (effect.unplug)
        return;
    std::vector<std::uint8_t> reply;
    if (scenario_.module.present) {
        reply = {0x0C, 0x40};
        std::vector<std::uint8_t> serial = scenario_.module.serial;
        serial.resize(64, 0x00);
        reply.insert(reply.end(), serial.begin(), serial.end());
    }
    Answer(effect, std::move(reply), T().answerUs);
}

}  // namespace kell::sim
