#include "platform/virtual/test_doubles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace kell {

void ScriptedEventPump::PumpOnce() {
    ++pumps;
    if (onPump)
        onPump();
}

void ScriptedEventPump::WaitForEvent(std::uint32_t maxWaitMs) {
    if (++waits > maxWaits) {
        std::fprintf(stderr, "ScriptedEventPump: nobody answered after %ld waits\n", waits);
        std::abort();
    }
    if (onPump)
        onPump();
    if (clock_)
        clock_->AdvanceBy(static_cast<std::int64_t>(std::min<std::uint32_t>(maxWaitMs, 10)) * 1000);
}

void RecordingNotifier::Beep(int frequencyHz, int durationMs) {
    beeps.emplace_back(frequencyHz, durationMs);
}

MessageAnswer RecordingNotifier::MessageBox(const std::string& text, const std::string& caption,
                                            MessageButtons buttons) {
    messages.push_back({text, caption, buttons});
    if (onMessage)
        onMessage(messages.back());
    if (answers.empty())
        return MessageAnswer::Ok;
    MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string FixedPortCatalog::DevicePath(int number) {
    auto it = ports_.find(number);
    return it == ports_.end() ? std::string() : it->second;
}

}  // namespace kell
