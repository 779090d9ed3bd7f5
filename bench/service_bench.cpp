// A service bench: 1 and then 4 simulated instruments, each paced at its line's speed, updated
// together by one console program (a session each, side by side). Prints the wall time of each
// run, their ratio (goal: 4 instruments in at most 1.15 times the time of one) and the CPU the
// sessions used.
//
//     build/dev/bench/service_bench [scenario.json]    (default: the full update)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kGoalRatio = 1.15;
// Far beyond a full update of one instrument: a hang guard, not a measure.
constexpr int kStartBoundMs = 10000;

double CpuSeconds(const rusage& usage) {
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ChildrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return CpuSeconds(usage);
}

// Starts the program with its standard output on a pipe (or /dev/null); its pid.
pid_t Spawn(const std::vector<std::string>& arguments, int* out) {
    int fds[2] = {-1, -1};
    if (out && pipe(fds) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        const int target = out ? fds[1] : open("/dev/null", O_WRONLY);
        dup2(target, STDOUT_FILENO);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    if (out) {
        close(fds[1]);
        *out = fds[0];
    }
    return pid;
}

// The simulator's ports, one a line, within the bound.
std::vector<std::string> ReadPorts(int fd, std::size_t count) {
    std::vector<std::string> ports;
    std::string line;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartBoundMs);
    while (ports.size() < count && std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0)
            continue;
        char c = 0;
        if (read(fd, &c, 1) != 1)
            break;
        if (c == '\n') {
            ports.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    return ports;
}

struct Run {
    bool ok = false;
    double wallS = 0;
    double sessionsCpuS = 0;
    double simulatorCpuS = 0;
    int status = -1;
};

Run UpdateTogether(const std::string& scenario, int instruments) {
    Run run;
    std::vector<std::string> simulator{KELL_SIM_PROGRAM, "--wire-paced"};
    for (int i = 0; i < instruments; ++i)
        simulator.push_back(scenario);
    int portsFd = -1;
    const pid_t sim = Spawn(simulator, &portsFd);
    const std::vector<std::string> ports =
        ReadPorts(portsFd, static_cast<std::size_t>(instruments));
    if (ports.size() != static_cast<std::size_t>(instruments)) {
        kill(sim, SIGTERM);
        waitpid(sim, nullptr, 0);
        return run;
    }
    std::vector<std::string> updater{KELL_UPDATE_CLI, "--yes", "--json"};
    for (const std::string& port : ports) {
        updater.push_back("--port");
        updater.push_back(port);
    }
    const double cpuBefore = ChildrenCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const pid_t cli = Spawn(updater, nullptr);
    int status = 0;
    waitpid(cli, &status, 0);
    run.wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // The console program waited for its copies, so their CPU is counted with its own.
    run.sessionsCpuS = ChildrenCpuSeconds() - cpuBefore;
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    close(portsFd);
    run.simulatorCpuS = ChildrenCpuSeconds() - cpuBefore - run.sessionsCpuS;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.ok = run.status == 0;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string scenario =
        argc > 1 ? argv[1] : std::string(KELL_SIM_SCENARIO_DIR) + "/full-update.json";
    // A runtime directory of its own for the lock files, apart from other programs.
    char runtime[] = "/tmp/kell-service-bench-XXXXXX";
    if (mkdtemp(runtime))
        setenv("XDG_RUNTIME_DIR", runtime, 1);

    Run runs[2];
    const int counts[2] = {1, 4};
    for (int i = 0; i < 2; ++i) {
        runs[i] = UpdateTogether(scenario, counts[i]);
        std::printf(
            "service_bench: %d instrument(s): %s, wall %.2f s, sessions' CPU %.2f s "
            "(%.2f s each), simulators' CPU %.2f s\n",
            counts[i], runs[i].ok ? "all updated" : "NOT all updated", runs[i].wallS,
            runs[i].sessionsCpuS, runs[i].sessionsCpuS / counts[i], runs[i].simulatorCpuS);
        std::fflush(stdout);
        if (!runs[i].ok) {
            std::printf("service_bench: the console program ended with status %d\n",
                        runs[i].status);
            return 1;
        }
    }
    const double ratio = runs[1].wallS / runs[0].wallS;
    std::printf(
        "service_bench: 4 instruments took %.3f times the time of one (goal at most "
        "%.2f): %s\n",
        ratio, kGoalRatio, ratio <= kGoalRatio ? "met" : "not met");
    return 0;
}
