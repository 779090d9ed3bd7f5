// The main firmware stream on the virtual line at 500000 baud, against a loader that answers
// every block at once: how much of the step's virtual time is the wire's, how much the host
// adds on top (drains, polls, pumping, pauses that are not the instrument's), and what a block
// costs the processor. Goal: host overhead under 5 % of the blocks' wire time.
#include <algorithm>
#include <cstdio>
#include <memory>

#include "bench/measure.h"
#include "firmware/diferencial.h"
#include "link/port_lock.h"
#include "payloads/payloads.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"

namespace {

using namespace kell;
using kell::bench::CpuSeconds;

constexpr std::uint32_t kBaud = 500000;

// Takes 0x03 block frames by their length byte and answers each with '0' as soon as its last
// byte is in. It checks nothing: the tests do that; here only the timing matters.
class InstantLoader : public LineDevice {
  public:
    explicit InstantLoader(DevicePort& port) : port_(port) {}

    void OnByteFromHost(std::uint8_t byte) override {
        if (left_ == 0) {
            if (byte == 0x03)
                left_ = -1;  // the length byte comes next
            return;
        }
        if (left_ < 0) {
            left_ = byte;  // address, bank, data and the check byte
            return;
        }
        if (--left_ == 0) {
            static constexpr std::uint8_t kAccepted = '0';
            port_.SendToHost(&kAccepted, 1);
            ++blocks;
        }
    }

    long blocks = 0;

  private:
    DevicePort& port_;
    int left_ = 0;
};

}  // namespace

int main() {
    VirtualClock clock;
    VirtualLine line{clock};
    InstantLoader loader{line};
    VirtualLineSet lines;
    lines.Add("/dev/ttyV0", &line);
    line.Attach(&loader);
    line.SetDeviceBaud(kBaud);
    VirtualSerialDevice device{lines};
    FixedPortCatalog ports;
    ports.Set(1, "/dev/ttyV0");
    TMonitorPSerie serial{device, ports, clock,
                          std::make_shared<PortLock>("/nonexistent/kell-bench.lock")};
    PortSettings settings{};
    settings.BaudRate = kBaud;
    serial.Configure(1, settings);
    ScriptedEventPump pump{&clock};
    RecordingNotifier notifier;

    kell::bench::WireMeter wire{line};

    bool stopSession = false, connected = true;
    int resultCode = 0, overallPosition = 0;
    std::int64_t stepStartTime = 0;
    ProgressBar stepBar, overallBar;
    Timer disconnection;
    const SessionContext session{LinkContext{serial, clock, pump, notifier, &stopSession},
                                 stopSession,
                                 resultCode,
                                 overallPosition,
                                 stepStartTime,
                                 connected,
                                 stepBar,
                                 overallBar,
                                 disconnection,
                                 {},
                                 {},
                                 {},
                                 {}};

    const auto text = payloads::MainFirmwareHex();
    TFile_op fileOp(text);
    TInterprete_hex reader(fileOp);
    reader.recordCount = static_cast<std::int32_t>(std::count(text.begin(), text.end(), '\n'));
    TGraficos graficos;
    PageFlags pages{};
    for (std::size_t s = 0; s < pages.size(); ++s)
        pages[s] = (payloads::kMainFirmwarePages >> s & 1) != 0;
    pages[30] = false;  // no channel plans: the plan page is not streamed
    TCDiferencial transfer(session, MainWindowLoan{graficos, fileOp, &reader, pages});

    const std::int64_t startUs = clock.NowUs();
    const double cpuStart = CpuSeconds();
    const bool ok = transfer.StreamFirmware();
    const double cpu = CpuSeconds() - cpuStart;
    const std::int64_t stepUs = clock.NowUs() - startUs;

    if (!ok || loader.blocks == 0) {
        std::printf("firmware_stream: the stream failed after %ld blocks\n", loader.blocks);
        return 1;
    }
    const double blocksWireS = static_cast<double>(wire.toDeviceUs) / 1e6;
    const double answersWireS = static_cast<double>(wire.toHostUs) / 1e6;
    const double stepS = static_cast<double>(stepUs) / 1e6;
    const double overheadS = stepS - blocksWireS - answersWireS;
    std::printf("firmware_stream: %d records, %ld blocks, %ld bytes to the instrument at %u baud\n",
                reader.recordCount, loader.blocks, wire.toDeviceBytes, kBaud);
    std::printf("firmware_stream: step %.3f s virtual; blocks on the wire %.3f s, answers %.3f s\n",
                stepS, blocksWireS, answersWireS);
    std::printf(
        "firmware_stream: host overhead %.3f ms virtual = %.3f %% of the blocks' wire "
        "time (goal under 5 %%)\n",
        overheadS * 1e3, 100.0 * overheadS / blocksWireS);
    // On a real line the processor's time per block adds to the wire time as well.
    std::printf(
        "firmware_stream: CPU %.1f us per block = %.2f %% of its wire time (%.3f s in "
        "all, line and loader model included); %.1f pumps per block\n",
        1e6 * cpu / static_cast<double>(loader.blocks), 100.0 * cpu / blocksWireS, cpu,
        static_cast<double>(pump.pumps) / static_cast<double>(loader.blocks));
    return 0;
}
