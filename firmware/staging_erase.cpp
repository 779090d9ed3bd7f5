// Emptying the loader's staging area before and after a transfer.
#include <array>

#include "firmware/diferencial.h"
#include "link/byte_wait.h"
#include "link/deadline.h"
#include "link/shared_frames.h"

namespace kell {

namespace {

// A request answered by one byte, tried a bounded number of times with a pause after every
// try. A try succeeds on the right byte within acceptSeconds whole seconds; the wait itself
// lasts up to waitSeconds.
struct OneByteExchange {
    std::span<const std::uint8_t> request;
    std::uint8_t answer;
    std::int64_t waitSeconds;
    std::int64_t acceptSeconds;
    int tries;
    std::uint32_t pauseMs;
};

bool Exchange(LinkContext& link, const OneByteExchange& exchange) {
    for (int i = 0; i < exchange.tries; ++i) {
        link.serial.Drain();
        SendBytes(link, exchange.request);
        const PolledByte got =
            WaitForByte(link, Deadline(link.clock, exchange.waitSeconds), Pace::Pumping());
        const bool done = got.Is(exchange.answer) && got.elapsed <= exchange.acceptSeconds;
        link.clock.SleepMs(exchange.pauseMs);
        if (done)
            return true;
    }
    return false;
}

constexpr std::array<std::uint8_t, 1> kReadyRequest{0xAA};
constexpr std::array<std::uint8_t, 5> kEraseFrame = StagingClearFrame(0xAB, 0xC9);

}  // namespace

bool TCDiferencial::EraseStaging() {
    if (!Exchange(Link(), {kReadyRequest, 'f', 3, 2, 5, 500}))
        return false;
    return Exchange(Link(), {kEraseFrame, 'p', 5, 4, 3, 500});
}

}  // namespace kell
