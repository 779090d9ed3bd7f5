// The loader buffer and sector frames (0x5A, 0x5B), the call frames (0x02 without 'P', the
// line-speed change among them) and the maintenance sector erase (0x0C).
#include "sim/hex_text.h"
#include "sim/instrument.h"

namespace kell::sim {
namespace {

constexpr std::uint8_t kBufferAccepted = 0xA5;
constexpr std::uint8_t kSectorDone = 0xB5;
constexpr std::uint8_t kRefused = '?';
constexpr std::size_t kBufferData = 128;
constexpr std::uint8_t kFirstPlanSector = 30;
constexpr std::uint8_t kSecondPlanSector = 31;
constexpr std::uint8_t kLineSpeedSelector = 0x00;
constexpr std::uint16_t kLineSpeedWord = 0xFEB4;

std::uint32_t BaudOfCode(std::uint8_t code) {
    switch (code) {
        case 1:
            return 500000;
        case 3:
            return 250000;
        case 8:
            return 115200;
        default:
            return 0;
    }
}

}  // namespace

// 0x5A, buffer address (3 bytes, high first), 128 data, XOR of address and data -> 0xA5.
void Instrument::OnBufferFrame(const std::vector<std::uint8_t>& f) {
    FaultEffect effect = Occur(Event::BufferFrame);
    if (effect.unplug)
        return;
    const std::uint32_t address = static_cast<std::uint32_t>(f[1]) << 16 | f[2] << 8 | f[3];
    const std::uint8_t x = XorOf(f, 1, 132);
    bool ok = true;
    if (f[132] != x) {
        Violate(ViolationKind::BadChecksum, "buffer frame at " + HexAddress(address) + ": XOR " +
                                                HexByte(f[132]) + ", expected " + HexByte(x));
        ok = false;
    }
    if (address + kBufferData > kRamBufferSize) {
        Violate(ViolationKind::BadAddress,
                "buffer frame at " + HexAddress(address) + " beyond the loader's buffer");
        ok = false;
    }
    if (!ok || effect.refuse) {
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    memory_.ram.Write(address, f.data() + 4, kBufferData);
    Answer(effect, {kBufferAccepted}, T().bufferFrameUs);
}

// 0x5B, 00 00 00, length (3 bytes, high first), sector, p1, p2, XOR of the data, XOR of bytes
// 1 to 10 -> 0xB5. Length 0 erases the sector; otherwise the sector is programmed with
// `length` bytes of the buffer (erasing first, running on into the next sector when longer
// than one). The data XOR must match what the buffer holds.
void Instrument::OnSectorFrame(const std::vector<std::uint8_t>& f) {
    FaultEffect effect = Occur(Event::SectorFrame);
    if (effect.unplug)
        return;
    const std::uint32_t length = static_cast<std::uint32_t>(f[4]) << 16 | f[5] << 8 | f[6];
    const std::uint8_t sector = f[7];
    bool ok = true;
    if (f[1] != 0 || f[2] != 0 || f[3] != 0) {
        Violate(ViolationKind::BadConstant,
                "sector frame bytes 1-3 are " + HexBytes({f[1], f[2], f[3]}) + "not 00 00 00");
    }
    const std::uint8_t x = XorOf(f, 1, 11);
    if (f[11] != x) {
        Violate(ViolationKind::BadChecksum, "sector frame for sector " + std::to_string(sector) +
                                                ": XOR " + HexByte(f[11]) + ", expected " +
                                                HexByte(x));
        ok = false;
    }
    // The buffer holds a pair of sectors. The loader takes an odd sector's bytes from offset
    // 0xFFFF, where the PC's frame for it names them (its data XOR covers the bytes from 65535
    // on), so that sector ends up holding the buffer's bytes from 65535.
    const std::uint32_t source = (sector & 1) ? 0xFFFF : 0;
    if (ok && length == 0 && (f[8] != 0 || f[9] != 0 || f[10] != 0)) {
        Violate(ViolationKind::BadConstant,
                "sector erase with parameters " + HexBytes({f[8], f[9], f[10]}));
    }
    if (ok && length > 0) {
        if (source + length > kRamBufferSize) {
            Violate(ViolationKind::BadAddress, "sector " + std::to_string(sector) +
                                                   " programmed with " + std::to_string(length) +
                                                   " bytes, more than the buffer holds");
            ok = false;
        } else {
            const std::uint8_t data = XorOf(memory_.ram.Read(source, length), 0, length);
            if (data != f[10]) {
                Violate(ViolationKind::BadChecksum,
                        "sector " + std::to_string(sector) + ": data XOR " + HexByte(f[10]) +
                            " does not match the buffer's " + HexByte(data) + " (bytes " +
                            HexAddress(source) + " to " + HexAddress(source + length - 1) + ")");
                ok = false;
            }
        }
    }
    if (!ok || effect.refuse) {
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    if (length == 0) {
        memory_.flash.ErasePage(sector);
        Answer(effect, {kSectorDone}, T().sectorEraseUs);
        return;
    }
    const std::uint32_t lastSector = sector + (length - 1) / SparseMemory::kPageSize;
    for (std::uint32_t s = sector; s <= lastSector; ++s) {
        memory_.flash.ErasePage(static_cast<std::uint8_t>(s));
    }
    memory_.flash.Write(static_cast<std::uint32_t>(sector) << 16, memory_.ram.Read(source, length));
    Answer(effect, {kSectorDone}, T().sectorProgramUs);
    // The channel plans are in place once their last sector is programmed; the instrument
    // restarts to take them.
    const bool planDone =
        sector == kSecondPlanSector || (sector == kFirstPlanSector && length <= 0xFFFF);
    if (planDone && !effect.noAnswer)
        ScheduleRestart(T().sectorProgramUs + T().answerUs);
}

// 0x02, L, then L bytes: 'P' and an EEPROM write, or selector, word (low first) and data.
void Instrument::OnFrame02(const std::vector<std::uint8_t>& f) {
    if (f.size() >= 3 && f[2] == 'P') {
        OnEepromWrite(f);
    } else {
        OnCallFrame(f);
    }
}

void Instrument::OnCallFrame(const std::vector<std::uint8_t>& f) {
    FaultEffect effect = Occur(Event::CallFrame);
    if (effect.unplug)
        return;
    if (f[1] < 3) {
        Violate(ViolationKind::BadLength,
                "call frame with " + std::to_string(f[1]) + " as its length (at least 3)");
        return;
    }
    CallRecord call{f[2], static_cast<std::uint16_t>(f[3] | f[4] << 8),
                    std::vector<std::uint8_t>(f.begin() + 5, f.end())};
    calls_.push_back(call);
    Answer(effect, {}, T().answerUs);
    if (call.selector != kLineSpeedSelector || call.word != kLineSpeedWord)
        return;
    const std::uint32_t baud = call.data.empty() ? 0 : BaudOfCode(call.data[0]);
    if (baud == 0) {
        Violate(ViolationKind::BadConstant,
                "line-speed code " +
                    (call.data.empty() ? std::string("missing") : HexByte(call.data[0])));
        return;
    }
    if (effect.noAnswer || effect.refuse)
        return;  // the speed stays as it is
    Schedule(T().lineSpeedUs, [this, baud] {
        transcript_.Note(NowUs(), "line speed " + std::to_string(baud));
        port_.SetDeviceBaud(baud);
    });
}

// 0x0C, sector -> the sector number, once erased.
void Instrument::OnSectorErase(const std::vector<std::uint8_t>& f) {
    FaultEffect effect = Occur(Event::SectorErase);
    if (effect.unplug)
        return;
    if (effect.refuse) {
        // Anything but the sector number tells the PC the erase failed.
        Answer(effect, {static_cast<std::uint8_t>(~f[1])}, T().answerUs);
        return;
    }
    memory_.flash.ErasePage(f[1]);
    Answer(effect, {f[1]}, T().sectorEraseUs);
}

}  // namespace kell::sim
