#pragma once

// The marketplace simulator as a child process on free loopback ports, for the
// tests that talk to it over the network.

#include "tests/support/tls_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace sw::test {

// One marketsim child. It is told to exit when its stdin closes, so it goes
// with the test process even if that dies; the destructor stops and reaps it.
class Simulator {
    using Clock = std::chrono::steady_clock;

public:
    explicit Simulator(const std::string& program, const std::vector<std::string>& extra = {}, bool withTls = true) {
        std::vector<std::string> args = {program, "--http-port", "0", "--exit-on-stdin-close"};
        if (withTls)
            args.insert(args.end(), {"--https-port", "0", "--cert", FixtureFile("localhost-cert.pem"), "--key",
                                     FixtureFile("localhost-key.pem")});
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);

        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0)
            return;
        if (::pipe2(out, O_CLOEXEC) != 0) {
            ::close(in[0]);
            ::close(in[1]);
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        if (pid_ > 0)
            ReadPortLine();
    }
    ~Simulator() {
        if (pid_ > 0)
            Stop(SIGTERM);
        CloseStdin();
        if (stdout_ >= 0)
            ::close(stdout_);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool Running() const { return pid_ > 0 && httpPort_ > 0; }
    const std::string& PortLine() const { return portLine_; }
    int HttpPort() const { return httpPort_; }
    int HttpsPort() const { return httpsPort_; }
    std::string Http(std::string_view path) const {
        return "http://127.0.0.1:" + std::to_string(httpPort_) + std::string(path);
    }
    std::string Https(std::string_view path) const {
        return "https://127.0.0.1:" + std::to_string(httpsPort_) + std::string(path);
    }

    void CloseStdin() {
        if (stdin_ >= 0)
            ::close(stdin_);
        stdin_ = -1;
    }
    void Signal(int signal) const {
        if (pid_ > 0)
            ::kill(pid_, signal);
    }

    // The exit status once the child has ended within the time, reaping it.
    std::optional<int> WaitExit(std::chrono::milliseconds limit) {
        Clock::time_point end = Clock::now() + limit;
        while (pid_ > 0) {
            int status = 0;
            pid_t done = ::waitpid(pid_, &status, WNOHANG);
            if (done == pid_ || done < 0) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (Clock::now() > end)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return std::nullopt;
    }

    // Asks the child to stop, forcing it after five seconds; the exit status.
    std::optional<int> Stop(int signal) {
        Signal(signal);
        std::optional<int> status = WaitExit(std::chrono::seconds(5));
        if (!status && pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
        return status;
    }

private:
    void ReadPortLine() {
        Clock::time_point end = Clock::now() + std::chrono::seconds(10);
        while (portLine_.find('\n') == std::string::npos && Clock::now() < end) {
            pollfd ready{stdout_, POLLIN, 0};
            if (::poll(&ready, 1, 100) <= 0)
                continue;
            char chunk[256];
            ssize_t n = ::read(stdout_, chunk, sizeof chunk);
            if (n <= 0)
                break;
            portLine_.append(chunk, static_cast<std::size_t>(n));
        }
        std::smatch match;
        if (std::regex_search(portLine_, match, std::regex(R"(^marketsim http=(\d+)(?: https=(\d+))?\n)"))) {
            httpPort_ = std::stoi(match[1]);
            httpsPort_ = match[2].matched ? std::stoi(match[2]) : 0;
        }
    }

    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    std::string portLine_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
};

} // namespace sw::test
