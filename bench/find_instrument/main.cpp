// Finding the instrument: the time from the search press to `connected`, with the instrument on
// the k-th numbered port and k - 1 silent ports before it. On virtual time the figure follows
// from the probe's pauses alone (about 3.4 s per silent port); over pseudo-terminals it is
// measured on the real device stack, the last terminal answered by a responder thread.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include <QCoreApplication>

#include "app/ventana_brisca.h"
#include "bench/find_instrument/responder.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/system_clock.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"
#include "tests/platform_qt/pseudo_terminal.h"

namespace kell::bench {
namespace {

using testing::PseudoTerminal;

constexpr int kPortCounts[] = {1, 2, 4, 8};
// The firmware text and the language file play no part in finding the instrument.
constexpr const char* kNoLanguageFile = "/nonexistent/idiomas.ini";

class NoEvents : public EventPump {
  public:
    void PumpOnce() override {}
    void WaitForEvent(std::uint32_t) override {}
};

// Arms the search, presses again and returns the microseconds of `now` from that press to the
// first pass of the pump that sees the link up (nothing when the search found nothing).
std::optional<double> TimeToConnected(Tventana_brisca& window, ObservingPump& pump,
                                      const std::function<std::int64_t()>& nowUs) {
    std::optional<std::int64_t> connectedAt;
    pump.onPump = [&] {
        if (!connectedAt && window.Connection().connected)
            connectedAt = nowUs();
    };
    window.Button_buscar_puertoClick();
    const std::int64_t start = nowUs();
    window.Button_buscar_puertoClick();
    pump.onPump = nullptr;
    if (!connectedAt)
        return std::nullopt;
    return static_cast<double>(*connectedAt - start) / 1e6;
}

// The instrument on a virtual line.
class VirtualInstrument : public LineDevice {
  public:
    VirtualInstrument(VirtualClock& clock, DevicePort& port) : clock_(clock), port_(port) {}
    void OnByteFromHost(std::uint8_t byte) override {
        std::vector<std::uint8_t> reply = responder_.Take(byte);
        if (reply.empty())
            return;
        clock_.After(300, [this, reply] { port_.SendToHost(reply.data(), reply.size()); });
    }

  private:
    VirtualClock& clock_;
    DevicePort& port_;
    Responder responder_;
};

std::optional<double> VirtualSearch(int k) {
    VirtualClock clock;
    std::vector<std::unique_ptr<VirtualLine>> lines;
    VirtualLineSet lineSet;
    FixedPortCatalog ports;
    for (int n = 1; n <= k; ++n) {
        lines.push_back(std::make_unique<VirtualLine>(clock));
        const std::string path = "/dev/ttyV" + std::to_string(n);
        lineSet.Add(path, lines.back().get());
        ports.Set(n, path);
    }
    VirtualInstrument instrument(clock, *lines.back());
    lines.back()->Attach(&instrument);
    VirtualSerialDevice serial(lineSet);
    NoEvents events;
    ObservingPump pump(events);
    RecordingNotifier notifier;
    const Seams seams{clock, serial, pump, notifier, ports};
    Tventana_brisca window(seams, ".", {}, kNoLanguageFile);
    return TimeToConnected(window, pump, [&] { return clock.NowUs(); });
}

// The instrument on a pseudo-terminal: a thread answers what arrives on its master side.
class PtyInstrument {
  public:
    explicit PtyInstrument(PseudoTerminal& pty) : pty_(pty), thread_([this] { Run(); }) {}
    ~PtyInstrument() {
        stop_ = true;
        thread_.join();
    }

  private:
    void Run() {
        Responder responder;
        while (!stop_) {
            for (std::uint8_t byte : pty_.Receive(1, 20)) {
                const std::vector<std::uint8_t> reply = responder.Take(byte);
                if (!reply.empty())
                    pty_.Send(reply);
            }
        }
    }

    PseudoTerminal& pty_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::optional<double> RealSearch(int k) {
    std::vector<std::unique_ptr<PseudoTerminal>> ptys;
    FixedPortCatalog ports;
    for (int n = 1; n <= k; ++n) {
        ptys.push_back(std::make_unique<PseudoTerminal>());
        if (!ptys.back()->Ready())
            return std::nullopt;
        ports.Set(n, ptys.back()->Path());
    }
    PtyInstrument instrument(*ptys.back());
    SystemClock clock;
    QtSerialDevice serial;
    QtEventPump events;
    ObservingPump pump(events);
    RecordingNotifier notifier;
    const Seams seams{clock, serial, pump, notifier, ports};
    Tventana_brisca window(seams, ".", {}, kNoLanguageFile);
    return TimeToConnected(window, pump, [&] { return clock.MonotonicUs(); });
}

// One line per k; the cost of a silent port is what k - 1 of them add to the search that finds
// the instrument on the first port.
void Print(const char* kind, const std::vector<std::optional<double>>& seconds) {
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        const int k = kPortCounts[i];
        if (!seconds[i]) {
            std::printf("find_instrument: %-7s k=%d  not found\n", kind, k);
            continue;
        }
        std::printf("find_instrument: %-7s k=%d  %7.3f s to connected", kind, k, *seconds[i]);
        if (k > 1 && seconds[0])
            std::printf("  (%.3f s per silent port)", (*seconds[i] - *seconds[0]) / (k - 1));
        std::printf("\n");
    }
}

}  // namespace
}  // namespace kell::bench

int main(int argc, char** argv) {
    using namespace kell::bench;
    QCoreApplication app(argc, argv);
    std::printf(
        "find_instrument: instrument on port k after k-1 silent ports (expected about "
        "3.4 s per silent port)\n");
    std::vector<std::optional<double>> virtualTimes, realTimes;
    for (int k : kPortCounts)
        virtualTimes.push_back(VirtualSearch(k));
    Print("virtual", virtualTimes);
    for (int k : kPortCounts)
        realTimes.push_back(RealSearch(k));
    Print("pty", realTimes);
    for (std::size_t i = 0; i < realTimes.size(); ++i) {
        if (virtualTimes[i] && realTimes[i])
            std::printf("find_instrument: k=%d  pty / virtual = %.3f\n", kPortCounts[i],
                        *realTimes[i] / *virtualTimes[i]);
    }
    return 0;
}
