#include "cli/interrupts.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace kell::cli {
namespace {

constexpr int kExitAtOnce = 130;

std::atomic<int> g_count{0};
// The children to stop when the process ends at once; slot 0 is the simulator's.
constexpr int kMostChildren = 256;
std::atomic<pid_t> g_children[kMostChildren];
int g_wake[2] = {-1, -1};

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<pid_t>::is_always_lock_free,
              "used from a signal handler");

void OnInterrupt(int) {
    const int saved = errno;
    if (g_count.fetch_add(1) >= 1) {
        constexpr char kNote[] = "\nkell-update-cli: stopped at once\n";
        [[maybe_unused]] ssize_t n = ::write(STDERR_FILENO, kNote, sizeof kNote - 1);
        for (const std::atomic<pid_t>& slot : g_children) {
            if (const pid_t child = slot.load(); child > 0)
                ::kill(child, SIGTERM);
        }
        ::_exit(kExitAtOnce);
    }
    if (g_wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] ssize_t n = ::write(g_wake[1], &byte, 1);
    }
    errno = saved;
}

}  // namespace

void InstallInterruptHandlers() {
    if (g_wake[0] < 0 && ::pipe2(g_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        g_wake[0] = g_wake[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int InterruptCount() {
    return g_count.load();
}

int InterruptWakeFd() {
    return g_wake[0];
}

void DrainInterruptWake() {
    char buffer[64];
    while (g_wake[0] >= 0 && ::read(g_wake[0], buffer, sizeof buffer) > 0) {
    }
}

void SetChildToStopOnExit(pid_t pid) {
    g_children[0].store(pid);
}

bool AddChildToStopOnExit(pid_t pid) {
    for (int i = 1; i < kMostChildren; ++i) {
        pid_t empty = 0;
        if (g_children[i].compare_exchange_strong(empty, pid))
            return true;
    }
    return false;
}

void RemoveChildToStopOnExit(pid_t pid) {
    for (int i = 1; i < kMostChildren && pid > 0; ++i) {
        pid_t expected = pid;
        g_children[i].compare_exchange_strong(expected, 0);
    }
}

void ClearChildrenToStopOnExit() {
    for (std::atomic<pid_t>& slot : g_children)
        slot.store(0);
}

}  // namespace kell::cli
