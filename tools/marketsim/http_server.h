#pragma once

// A small HTTP/1.1 server on 127.0.0.1: plain and TLS listeners, one thread per
// connection, one request per connection ("Connection: close"). Routing is the
// caller's; the server parses requests, writes answers and applies the two
// transport-level tricks an answer may ask for (a delay, a body cut short).

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

using SSL_CTX = struct ssl_ctx_st;

namespace sw::marketsim {

using HeaderList = std::vector<std::pair<std::string, std::string>>;

struct Request {
    std::string method;
    std::string target; // as received
    std::string path;   // before '?'
    std::string query;  // after '?', still encoded
    HeaderList headers;
    bool https = false;
    int localPort = 0; // the listener's port

    // The first header of that name (any case), or empty.
    std::string Header(std::string_view name) const;
};

struct Response {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    HeaderList headers; // besides Content-Type, Content-Length and Connection
    std::string body;
    int delayMs = 0;  // wait before answering
    bool cut = false; // announce the whole body, send half of it, then drop the connection
};

struct ServerOptions {
    int httpPort = 0; // 0: any free port; negative: no plain listener
    int httpsPort = -1;
    std::string certFile;
    std::string keyFile;
    bool verbose = false;
};

class HttpServer {
public:
    using Handler = std::function<Response(const Request&)>;

    explicit HttpServer(Handler handler);
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Loads the certificate and binds the listeners; false with a message on failure.
    bool Open(const ServerOptions& options, std::string& error);
    int HttpPort() const { return httpPort_; }
    int HttpsPort() const { return httpsPort_; }

    // Serves until stopFd turns readable or stdinFd (when not negative) reaches
    // its end, then ends every connection and returns.
    void Run(int stopFd, int stdinFd);

private:
    struct Connection {
        int fd = -1;
        bool https = false;
        int localPort = 0;
        std::atomic<bool> done{false};
        std::thread thread;
    };

    void Accept(int listenFd, bool https, int localPort);
    void Serve(Connection& connection);
    // Waits ms unless the server stops first; false when it stops.
    bool Pause(int ms);
    void Reap(bool all);
    void Log(const std::string& line);

    Handler handler_;
    bool verbose_ = false;
    SSL_CTX* tls_ = nullptr;
    int httpFd_ = -1;
    int httpsFd_ = -1;
    int httpPort_ = 0;
    int httpsPort_ = 0;
    std::list<std::unique_ptr<Connection>> connections_; // touched by the Run thread only
    std::mutex stopMutex_;
    std::condition_variable stopSignal_;
    bool stopping_ = false;
    std::mutex logMutex_;
};

} // namespace sw::marketsim
