// marketsim: the local marketplace simulator behind the demo, the end-to-end
// tests and the benchmarks. See README.md beside this file.

#include "tools/marketsim/http_server.h"
#include "tools/marketsim/routes.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace {

using namespace sw::marketsim;

constexpr const char* kUsage =
    R"(usage: marketsim [options]
  --http-port N            plain HTTP port on 127.0.0.1 (default 0: any free port; -1: none)
  --https-port N           HTTPS port (default 0 when --cert is given; -1: none)
  --cert FILE              PEM certificate (chain) for HTTPS
  --key FILE               PEM private key for HTTPS
  --fault KIND             shop-search fault: none|empty|verify|login|slow|cut (default none)
  --fault-times N          apply the fault to the next N searches only (default: until changed)
  --delay-ms N             delay of the slow fault (default 1000)
  --update-version TEXT    update record: version (default 1.0)
  --update-degree TEXT     update record: degree (default 2)
  --update-notice TEXT     update record: notice, UTF-8
  --update-url TEXT        update record: download address
  --update-fail MODE       answer the update record with empty|html instead
  --exit-on-stdin-close    stop when standard input reaches its end
  --verbose                log every request to standard error
Prints "marketsim http=PORT https=PORT" once listening; stops on SIGTERM or SIGINT.
)";

constexpr int kMaxInt = std::numeric_limits<int>::max();

int g_stopWrite = -1;

void OnStopSignal(int) {
    char byte = 1;
    // Nothing to do if it fails: the pipe already holds a byte.
    [[maybe_unused]] ssize_t ignored = ::write(g_stopWrite, &byte, 1);
}

std::optional<int> ParseInt(std::string_view text, int low, int high) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

struct Options {
    ServerOptions server;
    bool httpsGiven = false;
    FaultPlan fault;
    UpdateRecord update;
    bool exitOnStdinClose = false;
};

// False with a message on stderr when the command line is wrong.
bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string value;
        bool hasValue = false;
        if (std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
            arg = arg.substr(0, equals);
            hasValue = true;
        }
        auto next = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= argc) {
                std::cerr << "marketsim: " << arg << " needs a value\n";
                return false;
            }
            value = argv[++i];
            return true;
        };
        auto number = [&](int& target, int low, int high) -> bool {
            std::optional<int> parsed = ParseInt(value, low, high);
            if (!parsed) {
                std::cerr << "marketsim: bad value for " << arg << ": " << value << "\n";
                return false;
            }
            target = *parsed;
            return true;
        };

        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else if (arg == "--verbose") {
            options.server.verbose = true;
        } else if (arg == "--exit-on-stdin-close") {
            options.exitOnStdinClose = true;
        } else if (arg == "--http-port") {
            if (!next() || !number(options.server.httpPort, -1, 65535))
                return false;
        } else if (arg == "--https-port") {
            if (!next() || !number(options.server.httpsPort, -1, 65535))
                return false;
            options.httpsGiven = true;
        } else if (arg == "--cert") {
            if (!next())
                return false;
            options.server.certFile = value;
        } else if (arg == "--key") {
            if (!next())
                return false;
            options.server.keyFile = value;
        } else if (arg == "--fault") {
            if (!next())
                return false;
            std::optional<Fault> fault = ParseFault(value);
            if (!fault) {
                std::cerr << "marketsim: unknown fault " << value << "\n";
                return false;
            }
            options.fault.fault = *fault;
        } else if (arg == "--fault-times") {
            if (!next() || !number(options.fault.times, 0, kMaxInt))
                return false;
        } else if (arg == "--delay-ms") {
            if (!next() || !number(options.fault.delayMs, 0, kMaxInt))
                return false;
        } else if (arg == "--update-version") {
            if (!next())
                return false;
            options.update.version = value;
        } else if (arg == "--update-degree") {
            if (!next())
                return false;
            options.update.degree = value;
        } else if (arg == "--update-notice") {
            if (!next())
                return false;
            options.update.notice = value;
        } else if (arg == "--update-url") {
            if (!next())
                return false;
            options.update.url = value;
        } else if (arg == "--update-fail") {
            std::optional<UpdateMode> mode = next() ? ParseUpdateMode(value) : std::nullopt;
            if (!mode || *mode == UpdateMode::Ok) {
                std::cerr << "marketsim: --update-fail takes empty or html\n";
                return false;
            }
            options.update.mode = *mode;
        } else {
            std::cerr << "marketsim: unknown option " << arg << " (see --help)\n";
            return false;
        }
    }
    bool haveTls = !options.server.certFile.empty() && !options.server.keyFile.empty();
    if (!options.httpsGiven)
        options.server.httpsPort = haveTls ? 0 : -1;
    if (options.server.httpsPort >= 0 && !haveTls) {
        std::cerr << "marketsim: HTTPS needs --cert and --key\n";
        return false;
    }
    if (options.server.httpPort < 0 && options.server.httpsPort < 0) {
        std::cerr << "marketsim: no listener left to open\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options))
        return 2;

    int stopPipe[2];
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        std::perror("marketsim: pipe");
        return 1;
    }
    g_stopWrite = stopPipe[1];
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    // A client that goes away mid-answer must not end the simulator.
    ::signal(SIGPIPE, SIG_IGN);

    Routes routes(options.fault, options.update);
    HttpServer server([&routes](const Request& request) { return routes.Handle(request); });
    std::string error;
    if (!server.Open(options.server, error)) {
        std::cerr << "marketsim: " << error << "\n";
        return 1;
    }

    std::string ready = "marketsim";
    if (options.server.httpPort >= 0)
        ready += " http=" + std::to_string(server.HttpPort());
    if (options.server.httpsPort >= 0)
        ready += " https=" + std::to_string(server.HttpsPort());
    std::cout << ready << std::endl;

    server.Run(stopPipe[0], options.exitOnStdinClose ? STDIN_FILENO : -1);
    return 0;
}
