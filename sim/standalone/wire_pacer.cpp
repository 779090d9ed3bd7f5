#include "sim/standalone/wire_pacer.h"

#include <algorithm>

namespace kell::sim {

void WirePacer::Take(const std::uint8_t* data, std::size_t count, std::int64_t nowUs,
                     std::uint32_t baud) {
    const double byteUs = 1e6 * kBitsPerByte / std::max<std::uint32_t>(baud, 1);
    const std::int64_t startUs = std::max(lineFreeUs_, nowUs);
    for (std::size_t i = 0; i < count; ++i)
        held_.push_back({data[i], startUs + static_cast<std::int64_t>(byteUs * (i + 1))});
    if (count > 0)
        lineFreeUs_ = held_.back().dueUs;
}

void WirePacer::DeliverDue(std::int64_t nowUs, const std::function<void(std::uint8_t)>& deliver) {
    while (!held_.empty() && held_.front().dueUs <= nowUs) {
        const std::uint8_t byte = held_.front().byte;
        held_.pop_front();
        deliver(byte);
    }
}

std::int64_t WirePacer::UntilNextUs(std::int64_t nowUs) const {
    if (held_.empty())
        return -1;
    // Bytes in the middle of a burst are handed over in batches, which no instrument can tell
    // from their exact times; the burst's last byte, which an answer may follow, is on time.
    const std::int64_t wakeUs =
        std::max(held_.front().dueUs, std::min(held_.back().dueUs, nowUs + kBatchUs));
    return std::max<std::int64_t>(0, wakeUs - nowUs);
}

}  // namespace kell::sim
