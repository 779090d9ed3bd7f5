// The main firmware stream at 500000 baud, two ways. On the virtual line, against a loader that
// answers every block at once: how much of the step's virtual time is the wire's, how much the
// host adds on top (drains, polls, pumping, pauses that are not the instrument's), and what a
// block costs the processor. Goal: host overhead under 5 % of the blocks' wire time. The same
// stream behind USB adapters of 1, 4 and 16 ms latency: each block waits for its answer, which
// the adapter holds until its next latency tick. Then over a pseudo-terminal against the
// standalone simulator (kell-sim, its delays at zero) on the real device stack: blocks per
// second and CPU time per block, of this program and of the simulator.
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "bench/measure.h"
#include "firmware/diferencial.h"
#include "link/port_lock.h"
#include "payloads/payloads.h"
#include "platform/qt/qt_event_pump.h"
#include "platform/qt/qt_serial_device.h"
#include "platform/qt/simulator_process.h"
#include "platform/qt/system_clock.h"
#include "platform/virtual/test_doubles.h"
#include "platform/virtual/virtual_clock.h"
#include "platform/virtual/virtual_line.h"

namespace {

using namespace kell;
using kell::bench::CpuSeconds;

constexpr std::uint32_t kBaud = 500000;
// Latency timers of USB adapters: none (a plain serial port, or low-latency mode), 1 ms, a
// setting often chosen, and the usual default.
constexpr std::uint32_t kAdapterLatenciesMs[] = {0, 1, 4, 16};

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

// User plus system time another process has used so far, from /proc (nothing when unreadable).
std::optional<double> ProcessCpuSeconds(long long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos)
        return std::nullopt;
    std::istringstream fields(text.substr(nameEnd + 2));
    std::string field;
    // After the name: state is field 3; utime and stime are fields 14 and 15.
    for (int n = 3; n < 14 && fields >> field; ++n) {
    }
    unsigned long long user = 0, system = 0;
    if (!(fields >> user >> system))
        return std::nullopt;
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

struct StreamRun {
    bool ok = false;
    double cpuS = 0;
    std::int64_t stepUs = 0;
    long pumps = 0;
};

// Streams the embedded firmware (all its pages but the plan page) through `serial`; with
// `startLoader` the loader is loaded and the staging erased first, outside the timing.
StreamRun Stream(TMonitorPSerie& serial, Clock& clock, EventPump& pump, Notifier& notifier,
                 std::function<std::int64_t()> nowUs, bool startLoader) {
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

    StreamRun run;
    if (startLoader && !(transfer.PrepareLoader() && transfer.EraseStaging()))
        return run;
    const std::int64_t startUs = nowUs();
    const double cpuStart = CpuSeconds();
    run.ok = transfer.StreamFirmware();
    run.cpuS = CpuSeconds() - cpuStart;
    run.stepUs = nowUs() - startUs;
    return run;
}

// The stream over a pseudo-terminal served by kell-sim in real time; false when it could not
// run (the simulator not found or not started), with the reason printed.
bool PseudoTerminalStream(long blocks) {
    const std::string programDirectory = QCoreApplication::applicationDirPath().toStdString();
    const std::string simulator = SimulatorProcess::Locate(programDirectory);
    if (simulator.empty()) {
        std::printf("firmware_stream: pty: kell-sim not found (set KELL_SIM)\n");
        return false;
    }
    // An instrument whose loader answers at once, without a transcript to keep.
    QTemporaryDir dir;
    const std::string scenario = dir.filePath("instant.json").toStdString();
    std::ofstream(scenario) << R"({"name": "instant", "transcript": false,
        "timing": {"answerMs": 0, "blockMs": 0}})";
    SimulatorProcess process;
    if (!process.Start(simulator, scenario)) {
        std::printf("firmware_stream: pty: %s\n", process.Error().c_str());
        return false;
    }

    SystemClock clock;
    QtSerialDevice device;
    FixedPortCatalog ports;
    ports.Set(1, process.PortPath());
    TMonitorPSerie serial{device, ports, clock,
                          std::make_shared<PortLock>("/nonexistent/kell-bench.lock")};
    PortSettings settings{};
    settings.BaudRate = kBaud;
    if (!serial.Configure(1, settings) || !serial.Open()) {
        std::printf("firmware_stream: pty: cannot open %s\n", process.PortPath().c_str());
        return false;
    }
    QtEventPump pump;
    RecordingNotifier notifier;
    const std::optional<double> simulatorBefore = ProcessCpuSeconds(process.ProcessId());
    const StreamRun run = Stream(
        serial, clock, pump, notifier, [&] { return clock.MonotonicUs(); }, true);
    const std::optional<double> simulatorAfter = ProcessCpuSeconds(process.ProcessId());
    serial.Close();
    process.Stop();
    if (!run.ok) {
        std::printf("firmware_stream: pty: the stream failed\n");
        return false;
    }
    const double seconds = static_cast<double>(run.stepUs) / 1e6;
    const double perBlock = static_cast<double>(blocks);
    std::printf(
        "firmware_stream: pty: %ld blocks in %.3f s real = %.0f blocks/s (%.1f us a block)\n",
        blocks, seconds, perBlock / seconds, 1e6 * seconds / perBlock);
    std::printf("firmware_stream: pty: CPU %.1f us per block in the updater",
                1e6 * run.cpuS / perBlock);
    if (simulatorBefore && simulatorAfter)
        std::printf(", %.1f us in the simulator",
                    1e6 * (*simulatorAfter - *simulatorBefore) / perBlock);
    std::printf("\n");
    return true;
}

// The stream on the virtual line against the instant loader, the PC behind an adapter of the
// given latency, with the wire time of what crossed the line.
struct VirtualStream {
    StreamRun run;
    long blocks = 0;
    long toDeviceBytes = 0;
    double blocksWireS = 0;
    double answersWireS = 0;
    long pumps = 0;

    double StepS() const { return static_cast<double>(run.stepUs) / 1e6; }
};

VirtualStream StreamOnVirtualLine(std::uint32_t adapterLatencyMs) {
    VirtualClock clock;
    VirtualLine line{clock};
    InstantLoader loader{line};
    VirtualLineSet lines;
    lines.Add("/dev/ttyV0", &line);
    line.Attach(&loader);
    line.SetDeviceBaud(kBaud);
    line.SetAdapterLatencyMs(adapterLatencyMs);
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

    VirtualStream stream;
    stream.run = Stream(
        serial, clock, pump, notifier, [&] { return clock.NowUs(); }, false);
    stream.blocks = loader.blocks;
    stream.toDeviceBytes = wire.toDeviceBytes;
    stream.blocksWireS = static_cast<double>(wire.toDeviceUs) / 1e6;
    stream.answersWireS = static_cast<double>(wire.toHostUs) / 1e6;
    stream.pumps = pump.pumps;
    return stream;
}

// The stream's time behind each adapter latency, against the blocks' wire time and against the
// limit of a stop-and-wait stream: the wire time of the blocks and their answers plus one latency
// per block. An answer waits for the adapter's next tick, a latency at most, so a stream that
// keeps in step with the ticks may come in under that limit.
bool PrintAdapterLatencies(const VirtualStream& withoutLatency) {
    std::printf(
        "firmware_stream: behind a USB adapter; limit = wire time of blocks and answers + one "
        "latency per block\n");
    std::printf(
        "firmware_stream:   latency   stream s   blocks' wire s    limit s   stream/wire   "
        "stream/limit\n");
    for (const std::uint32_t latencyMs : kAdapterLatenciesMs) {
        const VirtualStream stream =
            latencyMs == 0 ? withoutLatency : StreamOnVirtualLine(latencyMs);
        if (!stream.run.ok || stream.blocks != withoutLatency.blocks) {
            std::printf("firmware_stream: at %u ms the stream failed after %ld blocks\n", latencyMs,
                        stream.blocks);
            return false;
        }
        const double limitS = stream.blocksWireS + stream.answersWireS +
                              static_cast<double>(stream.blocks) * latencyMs / 1e3;
        std::printf("firmware_stream:   %5u ms %10.3f %16.3f %10.3f %13.3f %14.3f\n", latencyMs,
                    stream.StepS(), stream.blocksWireS, limitS, stream.StepS() / stream.blocksWireS,
                    stream.StepS() / limitS);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const VirtualStream stream = StreamOnVirtualLine(0);
    const StreamRun& run = stream.run;
    if (!run.ok || stream.blocks == 0) {
        std::printf("firmware_stream: the stream failed after %ld blocks\n", stream.blocks);
        return 1;
    }
    const double blocksWireS = stream.blocksWireS;
    const double answersWireS = stream.answersWireS;
    const double stepS = stream.StepS();
    const double overheadS = stepS - blocksWireS - answersWireS;
    std::printf("firmware_stream: %ld blocks, %ld bytes to the instrument at %u baud\n",
                stream.blocks, stream.toDeviceBytes, kBaud);
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
        1e6 * run.cpuS / static_cast<double>(stream.blocks), 100.0 * run.cpuS / blocksWireS,
        run.cpuS, static_cast<double>(stream.pumps) / static_cast<double>(stream.blocks));
    if (!PrintAdapterLatencies(stream))
        return 1;
    return PseudoTerminalStream(stream.blocks) ? 0 : 1;
}
