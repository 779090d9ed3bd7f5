#include "sim/standalone/several_instruments.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

namespace kell::sim {
namespace {

// How long an instrument may take to open its pseudo-terminal and name it.
constexpr auto kStartBound = std::chrono::seconds(10);
constexpr int kCheckMs = 100;

struct Child {
    pid_t pid = -1;
    int out = -1;  // the read end of its standard output
    std::string port;
    bool ended = false;
    int status = 0;
};

// Reads the child's first line within the bound; empty when it ended or stayed silent.
std::string FirstLine(int fd) {
    std::string line;
    const auto end = std::chrono::steady_clock::now() + kStartBound;
    while (std::chrono::steady_clock::now() < end) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kCheckMs) <= 0)
            continue;
        char c = 0;
        if (read(fd, &c, 1) != 1)
            return {};
        if (c == '\n')
            return line;
        line += c;
    }
    return {};
}

void StopAll(std::vector<Child>& children) {
    for (Child& child : children) {
        if (child.pid > 0 && !child.ended)
            kill(child.pid, SIGTERM);
    }
    for (Child& child : children) {
        if (child.pid > 0 && !child.ended) {
            waitpid(child.pid, &child.status, 0);
            child.ended = true;
        }
        if (child.out >= 0)
            close(child.out);
    }
}

bool EndedWell(const Child& child) {
    return WIFEXITED(child.status) && WEXITSTATUS(child.status) == 0;
}

}  // namespace

int RunSeveral(const std::vector<std::string>& scenarios,
               const std::function<int(const std::string& scenario)>& serve,
               const std::function<bool()>& stopped) {
    std::vector<Child> children(scenarios.size());
    std::cout.flush();
    for (std::size_t i = 0; i < scenarios.size(); ++i) {
        int pipeFds[2];
        if (pipe(pipeFds) != 0) {
            StopAll(children);
            return 1;
        }
        const pid_t pid = fork();
        if (pid == 0) {
            close(pipeFds[0]);
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[1]);
            std::cout.flush();
            const int status = serve(scenarios[i]);
            std::cout.flush();
            _exit(status);
        }
        close(pipeFds[1]);
        children[i].pid = pid;
        children[i].out = pipeFds[0];
        if (pid < 0) {
            StopAll(children);
            return 1;
        }
    }
    for (Child& child : children) {
        child.port = FirstLine(child.out);
        if (child.port.empty()) {
            std::cerr << "kell-sim: an instrument did not start\n";
            StopAll(children);
            return 1;
        }
    }
    for (const Child& child : children)
        std::cout << child.port << "\n";
    std::cout.flush();

    std::size_t ended = 0;
    while (!stopped() && ended < children.size()) {
        for (Child& child : children) {
            if (!child.ended && waitpid(child.pid, &child.status, WNOHANG) == child.pid) {
                child.ended = true;
                ++ended;
            }
        }
        poll(nullptr, 0, kCheckMs);
    }
    StopAll(children);
    for (const Child& child : children) {
        if (!EndedWell(child))
            return 1;
    }
    return 0;
}

}  // namespace kell::sim
