// The channel-plan table that travels with the firmware, to segment 0x1E.
#include <algorithm>

#include "firmware/diferencial.h"
#include "payloads/payloads.h"

namespace kell {

namespace {

constexpr std::size_t kPlanBlock = 128;
constexpr std::uint8_t kPlanBank = BankByte(0x1E);
constexpr std::uint8_t kPlanSpillBank = BankByte(0x1F);

}  // namespace

bool TCDiferencial::SendPlanTable() {
    // An instrument reporting a plan type the program has no table for gets none; an empty
    // table must not count as sent.
    const std::span<const std::uint8_t> table = payloads::ChannelPlan(loan_.plansType);
    if (table.empty())
        return false;
    session_.Barra_progreso.SetRange(0, static_cast<int>(table.size()));
    bankByte = kPlanBank;
    for (std::size_t offset = 0; offset < table.size(); offset += kPlanBlock) {
        const std::size_t n = std::min(kPlanBlock, table.size() - offset);
        if (offset > 0xFFFF)
            bankByte = kPlanSpillBank;
        if (!SendBlock(table.subspan(offset, n), static_cast<std::uint16_t>(offset & 0xFFFF)))
            return false;
        session_.Barra_progreso.SetPosition(static_cast<int>(offset));
        Link().pump.PumpOnce();
    }
    return true;
}

}  // namespace kell
