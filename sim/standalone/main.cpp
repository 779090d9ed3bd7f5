// kell-sim: the simulated instrument on a pseudo-terminal, in real time.
//
//     kell-sim [--report FILE] [--by-id DIR] [scenario.json]
//
// The first line of the output is the pseudo-terminal's path, for the updater (or a person)
// to open as the instrument's serial port. With --by-id it behaves as a USB serial device: a
// stable link in DIR (as udev's /dev/serial/by-id) names it, and at every restart of the
// instrument it drops off the bus and comes back on a new pseudo-terminal, the link following. It
// serves until SIGINT or SIGTERM (or until a scenario fault unplugs the port), then writes its
// report (state, violations, transcript) to FILE when asked, and a one-line summary to stderr.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "sim/instrument.h"
#include "sim/scenario_json.h"
#include "sim/standalone/pty_port.h"
#include "sim/standalone/realtime_loop.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

// The longest the loop sleeps, so that a signal that comes just before poll() is seen soon.
constexpr int kLongestPollMs = 100;

constexpr const char* kUsage = "usage: kell-sim [--report FILE] [--by-id DIR] [scenario.json]\n";

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
                 "\n"
                 "Arguments:\n"
                 "  scenario.json  The meter's versions, contents and faults, as JSON.\n";
    return 0;
}

void Serve(kell::sim::PtyPort& port, kell::sim::RealtimeLoop& loop,
           kell::sim::Instrument& instrument) {
    std::uint8_t buf[4096];
    while (!g_stop && !port.Gone()) {
        const std::int64_t untilUs = loop.UntilNextUs();
        int timeoutMs = kLongestPollMs;
        if (untilUs >= 0)
            timeoutMs =
                static_cast<int>(std::min<std::int64_t>(kLongestPollMs, (untilUs + 999) / 1000));
        pollfd fd{port.MasterFd(), 0, 0};
        if (port.Accepting())
            fd.events |= POLLIN;
        if (port.HasPendingOutput())
            fd.events |= POLLOUT;
        const int ready = poll(&fd, 1, timeoutMs);
        if (ready > 0 && (fd.revents & POLLIN)) {
            const ssize_t n = read(port.MasterFd(), buf, sizeof buf);
            for (ssize_t i = 0; i < n && !port.Gone(); ++i)
                instrument.OnByteFromHost(buf[i]);
        }
        if (ready > 0 && (fd.revents & POLLOUT))
            port.Flush();
        loop.RunDue();
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string reportPath;
    std::string stableLinkFolder;
    std::string scenarioPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--report" && i + 1 < argc) {
            reportPath = argv[++i];
        } else if (arg == "--by-id" && i + 1 < argc) {
            stableLinkFolder = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            return Help();
        } else if (!arg.empty() && arg[0] == '-') {
            return Usage();
        } else if (scenarioPath.empty()) {
            scenarioPath = arg;
        } else {
            return Usage();
        }
    }

    kell::sim::Scenario scenario;
    if (!scenarioPath.empty()) {
        kell::sim::ScenarioLoad load = kell::sim::LoadScenarioFile(scenarioPath);
        if (!load.scenario) {
            std::cerr << "kell-sim: " << load.error << "\n";
            return 2;
        }
        scenario = std::move(*load.scenario);
    }

    kell::sim::PtyPort port;
    if (!stableLinkFolder.empty()) {
        // Named as udev names a USB device: maker, product and serial number (here the
        // process id, so that several simulated instruments can share the folder).
        port.UseStableLink(stableLinkFolder,
                           "usb-Kell_Series_Meter_SIM" + std::to_string(getpid()) + "-if00");
    }
    std::string error;
    if (!port.Open(error)) {
        std::cerr << "kell-sim: " << error << "\n";
        return 1;
    }

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    kell::sim::RealtimeLoop loop;
    kell::sim::Instrument instrument(loop, loop, port, scenario);
    std::cout << port.SlavePath() << std::endl;
    std::cerr << "kell-sim: instrument \"" << scenario.name << "\" on " << port.SlavePath();
    if (!port.StableLinkPath().empty())
        std::cerr << " (" << port.StableLinkPath() << ")";
    std::cerr << "\n";

    Serve(port, loop, instrument);

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
