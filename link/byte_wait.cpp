#include "link/byte_wait.h"

namespace kell {

std::optional<std::uint8_t> PollByte(LinkContext& link) {
    std::uint8_t byte = 0;
    if (link.serial.Read(&byte, 1) == 1)
        return byte;
    return std::nullopt;
}

PolledByte WaitForByte(LinkContext& link, const Deadline& deadline, Pace pace) {
    for (;;) {
        const std::int64_t before = link.clock.MonotonicUs();
        if (auto byte = PollByte(link))
            return {WaitEnd::Arrived, *byte, deadline.Elapsed()};
        if (deadline.Expired())
            return {WaitEnd::TimedOut, 0, deadline.Elapsed()};
        // A closed channel answers at once; without a pause the wait would spin a core until
        // the second changes (and virtual time would never move on).
        if (link.clock.MonotonicUs() == before)
            link.clock.SleepMs(1);
        switch (pace.between) {
            case Pace::Between::Pump:
                link.pump.PumpOnce();
                break;
            case Pace::Between::Sleep:
                link.clock.SleepMs(pace.sleepMs);
                break;
            case Pace::Between::Nothing:
                break;
        }
        if (pace.watchStop && link.StopRequested())
            return {WaitEnd::Stopped, 0, deadline.Elapsed()};
    }
}

namespace {

template <class Accepts>
PolledByte WaitForAccepted(LinkContext& link, const Deadline& deadline, Accepts accepts,
                           Pace pace) {
    for (;;) {
        PolledByte got = WaitForByte(link, deadline, pace);
        if (!got.Arrived() || accepts(got.value))
            return got;
        // Stray bytes before the awaited one are skipped against the same deadline, so a
        // chattering line cannot stretch the wait.
        if (deadline.Expired())
            return {WaitEnd::TimedOut, 0, deadline.Elapsed()};
    }
}

}  // namespace

PolledByte WaitForByteThat(LinkContext& link, const Deadline& deadline,
                           bool (*accepted)(std::uint8_t), Pace pace) {
    return WaitForAccepted(link, deadline, accepted, pace);
}

PolledByte WaitForThisByte(LinkContext& link, const Deadline& deadline, std::uint8_t wanted,
                           Pace pace) {
    return WaitForAccepted(
        link, deadline, [wanted](std::uint8_t byte) { return byte == wanted; }, pace);
}

PolledByte WaitForAnswer(LinkContext& link, const Deadline& deadline, Pace pace) {
    for (;;) {
        PolledByte got = WaitForByte(link, deadline, pace);
        if (!got.Arrived() || !link.serial.StillSending())
            return got;
        if (deadline.Expired())
            return {WaitEnd::TimedOut, 0, deadline.Elapsed()};
    }
}

void DiscardUntilQuiet(LinkContext& link) {
    // What may follow a command before the line is quiet; a bound, not an expectation.
    constexpr int kMaxDiscardedBytes = 65536;
    for (int i = 0; i < kMaxDiscardedBytes && PollByte(link); ++i) {
    }
}

int SendBytes(LinkContext& link, std::span<const std::uint8_t> bytes) {
    return link.serial.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}

}  // namespace kell
