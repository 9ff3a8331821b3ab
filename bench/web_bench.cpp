// Cost of the page request on loopback, against a bare libcurl easy request of
// the same URL in the same run, and how often it lets the window breathe while
// it waits.

#include "bench/bench_main.h"
#include "text/ui_pump.h"
#include "web/page_request.h"

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// A loopback HTTP server answering every request on a new connection with the
// same response, after an optional delay.
class FixedAnswerServer {
public:
    FixedAnswerServer(std::string answer, int delayMs) : answer_(std::move(answer)), delayMs_(delayMs) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int on = 1;
        setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener_, 64);
        socklen_t length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }

    ~FixedAnswerServer() {
        stop_ = true;
        shutdown(listener_, SHUT_RDWR);
        thread_.join();
        close(listener_);
    }

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/page"; }

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            int client = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            std::string request;
            char buffer[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                ssize_t n = read(client, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                request.append(buffer, static_cast<size_t>(n));
            }
            if (delayMs_ > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(delayMs_));
            for (size_t sent = 0; sent < answer_.size();) {
                ssize_t n = send(client, answer_.data() + sent, answer_.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += static_cast<size_t>(n);
            }
            shutdown(client, SHUT_WR);
            while (read(client, buffer, sizeof buffer) > 0) {
            }
            close(client);
        }
    }

    std::string answer_;
    int delayMs_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

std::string Answer(size_t bodySize) {
    return "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(bodySize) +
           "\r\nConnection: close\r\n\r\n" + std::string(bodySize, 'x');
}

size_t AppendBody(char* data, size_t size, size_t count, void* out) {
    static_cast<std::string*>(out)->append(data, size * count);
    return size * count;
}

// The reference: one bare easy request, a new connection each time, the body
// collected into a string.
std::string BareCurlGet(const std::string& url) {
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
    curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return body;
}

void BM_PageRequestSmall(benchmark::State& state) {
    FixedAnswerServer server(Answer(2), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(sw::PageRequest(server.Url()));
}

void BM_BareCurlSmall(benchmark::State& state) {
    FixedAnswerServer server(Answer(2), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(BareCurlGet(server.Url()));
}

constexpr size_t kLargeBody = 50u << 20;

void BM_PageRequestLarge(benchmark::State& state) {
    FixedAnswerServer server(Answer(kLargeBody), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(sw::PageRequest(server.Url()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLargeBody));
}

void BM_BareCurlLarge(benchmark::State& state) {
    FixedAnswerServer server(Answer(kLargeBody), 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(BareCurlGet(server.Url()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kLargeBody));
}

// The largest gap between two calls of the message-pump hook.
std::atomic<Clock::rep> g_lastPump{0};
std::atomic<Clock::rep> g_largestGap{0};

void RecordPump() {
    Clock::rep now = Clock::now().time_since_epoch().count();
    Clock::rep last = g_lastPump.exchange(now);
    if (last != 0)
        g_largestGap = std::max(g_largestGap.load(), now - last);
}

double LargestGapMs() {
    return std::chrono::duration<double, std::milli>(Clock::duration(g_largestGap)).count();
}

void BM_PumpGapWhileStalled(benchmark::State& state) {
    FixedAnswerServer server(Answer(2), 2000);
    sw::InstallUiPump(RecordPump, RecordPump);
    g_largestGap = 0;
    for (auto _ : state) {
        g_lastPump = Clock::now().time_since_epoch().count();
        benchmark::DoNotOptimize(sw::PageRequest(server.Url()));
    }
    sw::InstallUiPump(nullptr, nullptr);
    state.counters["largest_gap_ms"] = LargestGapMs();
}

// The reference: a loop that pumps after every 10 ms wait, as a window loop might.
void BM_PumpGapOfTenMsLoop(benchmark::State& state) {
    g_largestGap = 0;
    for (auto _ : state) {
        g_lastPump = Clock::now().time_since_epoch().count();
        auto end = Clock::now() + std::chrono::seconds(2);
        while (Clock::now() < end) {
            poll(nullptr, 0, 10);
            RecordPump();
        }
    }
    state.counters["largest_gap_ms"] = LargestGapMs();
}

BENCHMARK(BM_BareCurlSmall)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageRequestSmall)->Iterations(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareCurlLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageRequestLarge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PumpGapOfTenMsLoop)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PumpGapWhileStalled)->Iterations(1)->Unit(benchmark::kMillisecond);

const bool kRegistered = [] {
    sw::bench::CompareSpeed("BM_PageRequestSmall/iterations:1000", "BM_BareCurlSmall/iterations:1000",
                            "PageRequest, 1,000 GETs, against bare libcurl");
    sw::bench::CompareSpeed("BM_PageRequestLarge", "BM_BareCurlLarge", "PageRequest, 50 MB body, against bare libcurl");
    sw::bench::CompareCounter("BM_PumpGapWhileStalled/iterations:1", "BM_PumpGapOfTenMsLoop/iterations:1",
                              "largest_gap_ms", "largest pump gap while stalled 2 s, against a 10 ms loop");
    return true;
}();

} // namespace
