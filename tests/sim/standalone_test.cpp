#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// Reads one byte from fd within timeoutMs of real time; -1 when none came.
int ReadByte(int fd, int timeoutMs) {
    pollfd p{fd, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0)
        return -1;
    unsigned char b = 0;
    return read(fd, &b, 1) == 1 ? b : -1;
}

// kell-sim started as a process, its first output line read through a pipe.
struct SimProcess {
    pid_t pid = -1;
    int out = -1;

    explicit SimProcess(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            dup2(fds[1], STDOUT_FILENO);
            close(fds[0]);
            close(fds[1]);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(KELL_SIM_PROGRAM));
            for (const std::string& a : args)
                argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(KELL_SIM_PROGRAM, argv.data());
            _exit(127);
        }
        close(fds[1]);
        out = fds[0];
    }
    ~SimProcess() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0)
            close(out);
    }
    std::string FirstLine(int timeoutMs) {
        std::string line;
        for (;;) {
            const int c = ReadByte(out, timeoutMs);
            if (c < 0 || c == '\n')
                return line;
            line.push_back(static_cast<char>(c));
        }
    }
    // Sends SIGTERM and returns the exit status (-1 when it did not end within a few seconds).
    int Stop() {
        kill(pid, SIGTERM);
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int status = 0;
        while (std::chrono::steady_clock::now() < until) {
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            usleep(10'000);
        }
        return -1;
    }
};

TEST(SimStandalone, ServesTheProbeOnItsPseudoTerminal) {
    const std::string report = ::testing::TempDir() + "kell-sim-report.txt";
    std::remove(report.c_str());
    SimProcess sim({"--report", report, std::string(KELL_SIM_SCENARIO_DIR) + "/full-update.json"});
    ASSERT_GT(sim.pid, 0);
    const std::string path = sim.FirstLine(5000);
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;

    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    termios tio{};
    tcgetattr(fd, &tio);
    cfmakeraw(&tio);
    tcsetattr(fd, TCSANOW, &tio);
    const unsigned char probe = 0x00;
    ASSERT_EQ(write(fd, &probe, 1), 1);
    EXPECT_EQ(ReadByte(fd, 2000), 0x5D);
    const unsigned char read[5] = {0x01, 0x18, 0x10, 0x00, 0x06};
    ASSERT_EQ(write(fd, read, sizeof read), 5);
    std::string reply;
    for (int i = 0; i < 8; ++i) {
        const int c = ReadByte(fd, 2000);
        if (c < 0)
            break;
        reply.push_back(static_cast<char>(c));
    }
    ASSERT_EQ(reply.size(), 8u);
    EXPECT_EQ(reply.substr(2, 4), "1.89");
    close(fd);

    EXPECT_EQ(sim.Stop(), 0);
    std::ifstream in(report);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("\"full-update\""), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("<IN 5D"), std::string::npos) << text.str();
}

TEST(SimStandalone, RefusesABadScenarioFile) {
    SimProcess sim({"/nonexistent/scenario.json"});
    ASSERT_GT(sim.pid, 0);
    EXPECT_EQ(sim.FirstLine(5000), "");
    int status = 0;
    waitpid(sim.pid, &status, 0);
    sim.pid = -1;
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
}

}  // namespace
