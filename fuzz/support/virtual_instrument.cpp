#include "fuzz/support/virtual_instrument.h"

namespace kell::fuzz {

VirtualInstrument::VirtualInstrument(std::span<const std::uint8_t> script, std::int64_t startUs)
    : clock(startUs), instrument(clock, line, script) {
    lines.Add(kInstrumentPath, &line);
    ports.Set(kInstrumentPort, kInstrumentPath);
}

std::int64_t VirtualInstrument::StartFromByte(std::uint8_t byte) {
    constexpr std::int64_t kWholeSecondUs = 1'800'000'000LL * 1'000'000;
    return kWholeSecondUs + byte * 3'900LL;
}

}  // namespace kell::fuzz
