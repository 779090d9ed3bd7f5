// kell-sim: the simulated instrument on a pseudo-terminal, in real time.
//
//     kell-sim [--report FILE] [--by-id DIR] [--wire-paced] [scenario.json]
//     kell-sim [--by-id DIR] [--wire-paced] scenario.json scenario.json...
//     kell-sim --replay TRACE [--speed FACTOR] [--by-id DIR]
//     kell-sim --compact-trace TRACE OUT
//
// The first line of the output is the pseudo-terminal's path, for the updater (or a person)
// to open as the instrument's serial port. With --by-id it behaves as a USB serial device: a
// stable link in DIR (as udev's /dev/serial/by-id) names it, and at every restart of the
// instrument it drops off the bus and comes back on a new pseudo-terminal, the link following. It
// serves until SIGINT or SIGTERM (or until a scenario fault unplugs the port), then writes its
// report (state, violations, transcript) to FILE when asked, and a one-line summary to stderr.
// With --wire-paced the program's bytes reach the instrument at the line's speed, as on a real
// line. Given several scenarios it runs an instrument for each, a process each, and prints
// their ports one a line in the scenarios' order.
//
// With --replay it is the meter of a recorded session instead (sim/trace_replayer.h): it expects
// the program's bytes to be the recorded ones and answers as the recording did, FACTOR times
// faster. It ends a moment after the recording's last event, or at a signal, and exits 0 when
// the program did all the recording has it do, 3 when it did not (the first mismatch is named
// on stderr), 2 for a trace it cannot use. --compact-trace writes TRACE again with its long writes
// left out but for their start, count and CRC-32 (trace/compact_trace.h), for the tests to keep;
// gzip-compressed when OUT ends in ".gz".
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "sim/instrument.h"
#include "sim/scenario_json.h"
#include "sim/standalone/pty_port.h"
#include "sim/standalone/realtime_loop.h"
#include "sim/standalone/several_instruments.h"
#include "sim/standalone/wire_pacer.h"
#include "sim/trace_replayer.h"
#include "trace/compact_trace.h"
#include "trace/gzip_file.h"
#include "trace/trace_file.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

// The longest the loop sleeps, so that a signal that comes just before poll() is seen soon.
constexpr int kLongestPollMs = 100;
// How long a replay serves on after the recording's last event, for the program to finish.
constexpr std::int64_t kReplayLingerUs = 2'000'000;
constexpr int kExitReplayDiffers = 3;

constexpr const char* kUsage =
    "usage: kell-sim [--report FILE] [--by-id DIR] [--wire-paced] [scenario.json]\n"
    "       kell-sim [--by-id DIR] [--wire-paced] scenario.json scenario.json...\n"
    "       kell-sim --replay TRACE [--speed FACTOR] [--by-id DIR]\n"
    "       kell-sim --compact-trace TRACE OUT\n";

int Usage() {
    std::cerr << kUsage;
    return 2;
}

int Help() {
    std::cout << kUsage
              << "The simulated Kell Series meter on a pseudo-terminal, in real time.\n"
                 "The first line of the output is the port to open; it serves until SIGINT\n"
                 "or SIGTERM.\n"
                 "\n"
                 "Options:\n"
                 "  -h, --help     Show this help.\n"
                 "  --report FILE  At the end, write the meter's state, the violations and the\n"
                 "                 transcript to FILE.\n"
                 "  --by-id DIR    Behave as a USB serial device: a stable link in DIR names the\n"
                 "                 port, which moves to a new pseudo-terminal at every restart.\n"
                 "  --wire-paced   The program's bytes reach the meter at the line's speed\n"
                 "                 (11 bits a byte), as on a real line, not at once.\n"
                 "  --replay TRACE Play the meter recorded in TRACE (from kell-update-cli\n"
                 "                 --trace): the program's bytes must match the recorded ones;\n"
                 "                 exit 3 at the first that does not.\n"
                 "  --speed FACTOR With --replay, answer FACTOR times sooner than recorded.\n"
                 "  --compact-trace TRACE OUT\n"
                 "                 Write TRACE to OUT with long writes kept by count and CRC-32\n"
                 "                 (gzip-compressed when OUT ends in .gz).\n"
                 "\n"
                 "Arguments:\n"
                 "  scenario.json  The meter's versions, contents and faults, as JSON. Given\n"
                 "                 several, a meter for each; their ports are printed one a\n"
                 "                 line, in order.\n";
    return 0;
}

// The sooner of two waits in microseconds, -1 meaning none.
std::int64_t Sooner(std::int64_t a, std::int64_t b) {
    if (a < 0)
        return b;
    return b < 0 ? a : std::min(a, b);
}

// Serves the far end until a signal, the port gone, or `finished` says so. With a pacer the
// PC's bytes reach the instrument at the line's speed.
void Serve(
    kell::sim::PtyPort& port, kell::sim::RealtimeLoop& loop, kell::LineDevice& device,
    const std::function<bool()>& finished = [] { return false; },
    kell::sim::WirePacer* pacer = nullptr) {
    std::uint8_t buf[4096];
    while (!g_stop && !port.Gone() && !finished()) {
        const std::int64_t nowUs = loop.MonotonicUs();
        const std::int64_t untilUs =
            Sooner(loop.UntilNextUs(), pacer ? pacer->UntilNextUs(nowUs) : -1);
        const std::int64_t timeoutUs = untilUs < 0
                                           ? kLongestPollMs * 1000
                                           : std::min<std::int64_t>(kLongestPollMs * 1000, untilUs);
        const timespec timeout{static_cast<time_t>(timeoutUs / 1'000'000),
                               static_cast<long>(timeoutUs % 1'000'000 * 1000)};
        pollfd fd{port.MasterFd(), 0, 0};
        if (port.Accepting() && (!pacer || pacer->WantsMore()))
            fd.events |= POLLIN;
        if (port.HasPendingOutput())
            fd.events |= POLLOUT;
        const int ready = ppoll(&fd, 1, &timeout, nullptr);
        if (ready > 0 && (fd.revents & POLLIN)) {
            const ssize_t n = read(port.MasterFd(), buf, sizeof buf);
            if (pacer && n > 0) {
                pacer->Take(buf, static_cast<std::size_t>(n), loop.MonotonicUs(),
                            port.DeviceBaud());
            }
            for (ssize_t i = 0; !pacer && i < n && !port.Gone(); ++i)
                device.OnByteFromHost(buf[i]);
        }
        if (pacer && port.Accepting()) {
            pacer->DeliverDue(loop.MonotonicUs(), [&](std::uint8_t byte) {
                if (!port.Gone())
                    device.OnByteFromHost(byte);
            });
        }
        if (ready > 0 && (fd.revents & POLLOUT))
            port.Flush();
        loop.RunDue();
    }
}

std::unique_ptr<kell::sim::PtyPort> OpenPort(const std::string& stableLinkFolder) {
    auto port = std::make_unique<kell::sim::PtyPort>();
    if (!stableLinkFolder.empty()) {
        // Named as udev names a USB device: maker, product and serial number (here the
        // process id, so that several simulated instruments can share the folder).
        port->UseStableLink(stableLinkFolder,
                            "usb-Kell_Series_Meter_SIM" + std::to_string(getpid()) + "-if00");
    }
    std::string error;
    if (!port->Open(error)) {
        std::cerr << "kell-sim: " << error << "\n";
        return nullptr;
    }
    return port;
}

void HandleSignals() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int CompactTrace(const std::string& tracePath, const std::string& outPath) {
    kell::trace::Trace trace = kell::trace::ReadTraceFile(tracePath);
    if (!trace.Usable() || !trace.problems.empty() || trace.cutShort) {
        std::cerr << "kell-sim: " << tracePath << ": "
                  << (trace.Usable() ? "not sound; compacting only whole traces" : trace.Refusal())
                  << "\n";
        return 2;
    }
    kell::trace::CompactWrites(trace);
    const std::string text = kell::trace::FormatTrace(trace);
    bool written = false;
    if (outPath.ends_with(".gz")) {
        written = kell::trace::WriteGzipFile(outPath, text);
    } else {
        std::ofstream out(outPath, std::ios::binary);
        written = static_cast<bool>(out << text) && static_cast<bool>(out.flush());
    }
    if (!written) {
        std::cerr << "kell-sim: cannot write " << outPath << "\n";
        return 1;
    }
    return 0;
}

int Replay(const std::string& tracePath, double speed, const std::string& stableLinkFolder) {
    const kell::trace::Trace trace = kell::trace::ReadTraceFile(tracePath);
    for (const std::string& problem : trace.problems)
        std::cerr << "kell-sim: " << tracePath << ": " << problem << "\n";
    if (!trace.Usable()) {
        std::cerr << "kell-sim: " << tracePath << ": " << trace.Refusal() << "\n";
        return 2;
    }
    if (trace.cutShort)
        std::cerr << "kell-sim: " << tracePath << " is cut short; replaying what it holds\n";
    std::unique_ptr<kell::sim::PtyPort> port = OpenPort(stableLinkFolder);
    if (!port)
        return 1;
    HandleSignals();
    kell::sim::RealtimeLoop loop;
    // A pseudo-terminal does not tell its far end when the program opens or closes it.
    kell::sim::TraceReplayer replayer(loop, loop, *port, trace.events,
                                      {speed, false, trace.cutShort});
    std::cout << port->SlavePath() << std::endl;
    std::cerr << "kell-sim: replaying " << tracePath << " (" << trace.events.size()
              << " events, recorded " << trace.header.recorded << " by " << trace.header.program
              << ") on " << port->SlavePath() << "\n";
    // The meter cannot answer the program's questions: the person running it must, as recorded.
    if (const std::string answers = kell::trace::RecordedAnswers(trace); !answers.empty())
        std::cerr << "kell-sim: the recording answered " << answers << "\n";
    std::int64_t doneUs = -1;
    Serve(*port, loop, replayer, [&] {
        if (replayer.Mismatch())
            return true;
        if (replayer.Done() && doneUs < 0)
            doneUs = loop.MonotonicUs();
        return doneUs >= 0 && loop.MonotonicUs() - doneUs >= kReplayLingerUs;
    });
    std::cerr << "kell-sim: " << replayer.Summary() << "\n";
    if (replayer.Mismatch()) {
        // Silent from here, as a meter that no longer understands, until told to stop.
        while (!g_stop && !port->Gone())
            poll(nullptr, 0, kLongestPollMs);
    }
    return replayer.Done() ? 0 : kExitReplayDiffers;
}

// One simulated instrument from its scenario file (none: the up-to-date one), until a signal.
int RunInstrument(const std::string& scenarioPath, const std::string& reportPath,
                  const std::string& stableLinkFolder, bool paced) {
    kell::sim::Scenario scenario;
    if (!scenarioPath.empty()) {
        kell::sim::ScenarioLoad load = kell::sim::LoadScenarioFile(scenarioPath);
        if (!load.scenario) {
            std::cerr << "kell-sim: " << load.error << "\n";
            return 2;
        }
        scenario = std::move(*load.scenario);
    }

    std::unique_ptr<kell::sim::PtyPort> ownedPort = OpenPort(stableLinkFolder);
    if (!ownedPort)
        return 1;
    kell::sim::PtyPort& port = *ownedPort;
    HandleSignals();

    kell::sim::RealtimeLoop loop;
    kell::sim::Instrument instrument(loop, loop, port, scenario);
    std::cout << port.SlavePath() << std::endl;
    std::cerr << "kell-sim: instrument \"" << scenario.name << "\" on " << port.SlavePath();
    if (!port.StableLinkPath().empty())
        std::cerr << " (" << port.StableLinkPath() << ")";
    std::cerr << "\n";

    kell::sim::WirePacer pacer;
    Serve(
        port, loop, instrument, [] { return false; }, paced ? &pacer : nullptr);

    if (!reportPath.empty()) {
        std::ofstream out(reportPath);
        out << instrument.Report(0);
        if (!out)
            std::cerr << "kell-sim: cannot write " << reportPath << "\n";
    }
    std::cerr << "kell-sim: stopped; " << instrument.Violations().Entries().size()
              << " violation(s), firmware " << instrument.FirmwareVersion() << "\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string reportPath;
    std::string stableLinkFolder;
    std::vector<std::string> scenarioPaths;
    bool paced = false;
    std::string replayPath;
    double speed = 1.0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--compact-trace" && argc == 4 && i == 1) {
            return CompactTrace(argv[2], argv[3]);
        } else if (arg == "--replay" && i + 1 < argc) {
            replayPath = argv[++i];
        } else if (arg == "--speed" && i + 1 < argc) {
            char* end = nullptr;
            speed = std::strtod(argv[++i], &end);
            if (*end != '\0' || !(speed > 0) || speed > 1e6)
                return Usage();
        } else if (arg == "--report" && i + 1 < argc) {
            reportPath = argv[++i];
        } else if (arg == "--wire-paced") {
            paced = true;
        } else if (arg == "--by-id" && i + 1 < argc) {
            stableLinkFolder = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            return Help();
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else {
            scenarioPaths.push_back(arg);
        }
    }

    if (!replayPath.empty()) {
        if (!scenarioPaths.empty() || !reportPath.empty() || paced)
            return Usage();
        return Replay(replayPath, speed, stableLinkFolder);
    }
    if (scenarioPaths.size() <= 1)
        return RunInstrument(scenarioPaths.empty() ? std::string() : scenarioPaths.front(),
                             reportPath, stableLinkFolder, paced);
    if (!reportPath.empty())
        return Usage();
    HandleSignals();
    return kell::sim::RunSeveral(
        scenarioPaths,
        [&](const std::string& scenario) {
            return RunInstrument(scenario, {}, stableLinkFolder, paced);
        },
        [] { return g_stop != 0; });
}
