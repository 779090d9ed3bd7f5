#include "config/maintenance_answer.h"

#include "link/byte_wait.h"

namespace kell {

namespace {
// The wait ends once more than 10 whole seconds have passed.
constexpr std::int64_t kLimitS = 11;
}  // namespace

std::optional<std::uint8_t> AwaitMaintenanceAnswer(LinkContext& link) {
    const PolledByte got = WaitForByte(link, Deadline(link.clock, kLimitS), Pace::Pumping());
    if (!got.Arrived()) {
        link.Beep();
        return std::nullopt;
    }
    return got.value;
}

}  // namespace kell
