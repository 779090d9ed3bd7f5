// The parameter store (EEPROM) writes: 0x02, N + 5, 'P', area letter, bank, address high,
// address low, N data -> 0x20. The configuration records written into it are checked against
// their own length, markers and XOR once the instrument holds the whole record.
#include <array>

#include "sim/hex_text.h"
#include "sim/instrument.h"
#include "sim/record_check.h"

namespace kell::sim {
namespace {

constexpr std::uint8_t kWritten = 0x20;
constexpr std::uint8_t kRefused = '?';
constexpr std::size_t kHeader = 7;  // 0x02, length, 'P', letter, bank, address high and low

struct Area {
    char letter;
    std::uint8_t bank;
    std::uint32_t first;
    std::uint32_t end;
};

// The areas the instrument lets the PC write.
constexpr std::array<Area, 3> kAreas = {{
    {'R', 8, 0x0040, 0x0700},  // incidents, general records, profiles
    {'W', 3, 0x0300, 0x0400},  // list records
    {'Q', 9, 0x1000, 0x1300},  // user-band records
}};

struct RecordSlot {
    char letter;
    std::uint8_t bank;
    std::uint16_t base;
    const RecordKind* kind;
};

constexpr std::array<RecordSlot, 10> kRecordSlots = {{
    {'R', 8, 0x0100, &kConfigRecord},
    {'R', 8, 0x0200, &kConfigRecord},
    {'W', 3, 0x0300, &kConfigRecord},
    {'W', 3, 0x0380, &kConfigRecord},
    {'Q', 9, 0x1000, &kConfigRecord},
    {'Q', 9, 0x1200, &kConfigRecord},
    {'R', 8, 0x0300, &kProfileRecord},
    {'R', 8, 0x0400, &kProfileRecord},
    {'R', 8, 0x0500, &kProfileRecord},
    {'R', 8, 0x0600, &kProfileRecord},
}};

constexpr std::uint32_t SlotKey(char letter, std::uint8_t bank, std::uint16_t base) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(letter)) << 24 |
           static_cast<std::uint32_t>(bank) << 16 | base;
}

std::string Where(char letter, std::uint8_t bank, std::uint32_t address) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "'%c' %u:0x%04X", letter, bank, address & 0xFFFF);
    return buf;
}

}  // namespace

void Instrument::OnEepromWrite(const std::vector<std::uint8_t>& f) {
    FaultEffect effect = Occur(Event::EepromWrite);
    if (effect.unplug)
        return;
    if (f[1] < 5) {
        Violate(ViolationKind::BadLength,
                "EEPROM write with " + std::to_string(f[1]) + " as its length (N + 5)");
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    const char letter = static_cast<char>(f[3]);
    const std::uint8_t bank = f[4];
    const std::uint16_t address = static_cast<std::uint16_t>(f[5] << 8 | f[6]);
    const std::size_t n = f.size() - kHeader;
    bool ok = true;
    if (letter == '?') {
        // The closing frame: '?' 0x0C at 0x0117 with no data.
        if (bank != 0x0C || address != 0x0117 || n != 0) {
            Violate(ViolationKind::BadAddress, "closing frame at " + Where(letter, bank, address) +
                                                   " with " + std::to_string(n) +
                                                   " byte(s); expected '?' 12:0x0117 and none");
        }
    } else {
        const Area* area = nullptr;
        for (const Area& a : kAreas) {
            if (a.letter == letter && a.bank == bank)
                area = &a;
        }
        if (!area) {
            Violate(ViolationKind::BadAddress,
                    "EEPROM write to unknown area " + Where(letter, bank, address));
            ok = false;
        } else if (address < area->first || address + n > area->end) {
            Violate(ViolationKind::BadAddress, "EEPROM write of " + std::to_string(n) +
                                                   " byte(s) at " + Where(letter, bank, address) +
                                                   " outside its area");
            ok = false;
        }
    }
    if (!ok || effect.refuse) {
        Answer(effect, {kRefused}, T().answerUs);
        return;
    }
    memory_.Eeprom(letter).Write(static_cast<std::uint32_t>(bank) << 16 | address,
                                 f.data() + kHeader, n);
    CheckRecordsAfterWrite(letter, bank, address, n);
    Answer(effect, {kWritten}, T().eepromWriteUs);
}

// A write that lands on a record's first byte starts that record; the record is checked once
// every byte of its announced length has been written since.
void Instrument::CheckRecordsAfterWrite(char letter, std::uint8_t bank, std::uint16_t address,
                                        std::size_t count) {
    const std::uint32_t end = address + static_cast<std::uint32_t>(count);
    for (const RecordSlot& slot : kRecordSlots) {
        if (slot.letter != letter || slot.bank != bank)
            continue;
        const std::uint32_t key = SlotKey(letter, bank, slot.base);
        if (slot.base >= address && slot.base < end)
            pendingRecords_[key].reset();
        auto it = pendingRecords_.find(key);
        if (it == pendingRecords_.end())
            continue;
        for (std::uint32_t a = std::max<std::uint32_t>(address, slot.base);
             a < end && a < slot.base + 256u; ++a) {
            it->second.set(a - slot.base);
        }
        const std::uint32_t base = static_cast<std::uint32_t>(bank) << 16 | slot.base;
        const SparseMemory& area = memory_.Eeprom(letter);
        auto length = RecordLength(*slot.kind, area.Read(base, 3));
        if (!length) {
            if (it->second.test(0) && it->second.test(1) && it->second.test(2)) {
                Violate(ViolationKind::BadRecord, "record at " + Where(letter, bank, slot.base) +
                                                      ": " +
                                                      CheckRecord(*slot.kind, area.Read(base, 3)));
                pendingRecords_.erase(it);
            }
            continue;
        }
        bool whole = true;
        for (std::size_t i = 0; i < *length && whole; ++i)
            whole = it->second.test(i);
        if (!whole)
            continue;
        const std::string problem = CheckRecord(*slot.kind, area.Read(base, *length));
        if (!problem.empty()) {
            Violate(ViolationKind::BadRecord,
                    "record at " + Where(letter, bank, slot.base) + ": " + problem);
        }
        pendingRecords_.erase(it);
    }
}

}  // namespace kell::sim
