#include "tools/marketsim/http_server.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <iostream>

namespace sw::marketsim {
namespace {

constexpr std::size_t kMaxHeaderBytes = 64 * 1024;
constexpr std::size_t kMaxBodyBytes = 1024 * 1024;
constexpr int kIoTimeoutSeconds = 30;
constexpr std::size_t kMaxConnections = 256;

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 400:
        return "Bad Request";
    case 404:
        return "Not Found";
    case 413:
        return "Payload Too Large";
    case 431:
        return "Request Header Fields Too Large";
    case 500:
        return "Internal Server Error";
    default:
        return "Unknown";
    }
}

// The byte stream of one connection, plain or TLS, over a blocking socket with
// time limits on both directions.
class Stream {
public:
    Stream(int fd, SSL_CTX* tls) : fd_(fd) {
        if (tls != nullptr) {
            ssl_ = SSL_new(tls);
            if (ssl_ != nullptr)
                SSL_set_fd(ssl_, fd);
        }
    }
    ~Stream() {
        if (ssl_ != nullptr)
            SSL_free(ssl_);
        ERR_clear_error();
    }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    bool Handshake(bool https) { return !https || (ssl_ != nullptr && SSL_accept(ssl_) == 1); }

    // Appends what arrives; false at the end of the stream or on an error.
    bool ReadSome(std::string& buffer) {
        char chunk[16 * 1024];
        std::size_t got = 0;
        if (ssl_ != nullptr) {
            if (SSL_read_ex(ssl_, chunk, sizeof chunk, &got) != 1)
                return false;
        } else {
            ssize_t n;
            do
                n = ::recv(fd_, chunk, sizeof chunk, 0);
            while (n < 0 && errno == EINTR);
            if (n <= 0)
                return false;
            got = static_cast<std::size_t>(n);
        }
        buffer.append(chunk, got);
        return true;
    }

    bool Write(std::string_view data) {
        while (!data.empty()) {
            std::size_t written = 0;
            if (ssl_ != nullptr) {
                if (SSL_write_ex(ssl_, data.data(), data.size(), &written) != 1)
                    return false;
            } else {
                ssize_t n = ::send(fd_, data.data(), data.size(), MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR)
                    continue;
                if (n <= 0)
                    return false;
                written = static_cast<std::size_t>(n);
            }
            data.remove_prefix(written);
        }
        return true;
    }

    // The end of our direction; with the TLS close alert unless the answer is
    // meant to look broken off. The peer still reads all that was sent.
    void Finish(bool orderly) {
        if (ssl_ != nullptr && orderly)
            SSL_shutdown(ssl_);
        ::shutdown(fd_, SHUT_WR);
    }

    void Drop() { ::shutdown(fd_, SHUT_RDWR); }

private:
    int fd_;
    SSL* ssl_ = nullptr;
};

// Parses the header block (without the blank line). False when it is not a request.
bool ParseHead(std::string_view head, Request& request) {
    std::size_t lineEnd = head.find("\r\n");
    std::string_view line = head.substr(0, lineEnd);
    std::size_t firstSpace = line.find(' ');
    std::size_t lastSpace = line.rfind(' ');
    if (firstSpace == std::string_view::npos || firstSpace == 0 || lastSpace == firstSpace ||
        !line.substr(lastSpace + 1).starts_with("HTTP/1."))
        return false;
    request.method = line.substr(0, firstSpace);
    request.target = Trim(line.substr(firstSpace + 1, lastSpace - firstSpace - 1));
    std::string_view target = request.target;
    // A proxy-style absolute target still names a path on this server.
    if (target.starts_with("http://") || target.starts_with("https://")) {
        std::size_t pathStart = target.find('/', target.find("//") + 2);
        target = pathStart == std::string_view::npos ? std::string_view("/") : target.substr(pathStart);
    }
    if (target.empty() || target.front() != '/')
        return false;
    std::size_t question = target.find('?');
    request.path = target.substr(0, question);
    request.query = question == std::string_view::npos ? std::string_view() : target.substr(question + 1);

    while (lineEnd != std::string_view::npos) {
        std::size_t start = lineEnd + 2;
        lineEnd = head.find("\r\n", start);
        line = head.substr(start, lineEnd == std::string_view::npos ? std::string_view::npos : lineEnd - start);
        if (line.empty())
            continue;
        std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return false;
        request.headers.emplace_back(std::string(line.substr(0, colon)), std::string(Trim(line.substr(colon + 1))));
    }
    return true;
}

std::string StatusHead(const Response& response) {
    std::string head = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
    head += "Server: marketsim\r\n";
    if (!response.contentType.empty())
        head += "Content-Type: " + response.contentType + "\r\n";
    for (const auto& [name, value] : response.headers)
        head += name + ": " + value + "\r\n";
    head += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    head += "Connection: close\r\n\r\n";
    return head;
}

Response Plain(int status, std::string body) {
    Response response;
    response.status = status;
    response.contentType = "text/plain; charset=utf-8";
    response.body = std::move(body);
    return response;
}

int OpenListener(int port, std::string& error) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        error = "cannot create a socket";
        return -1;
    }
    int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 128) != 0) {
        error = "cannot listen on 127.0.0.1:" + std::to_string(port);
        ::close(fd);
        return -1;
    }
    return fd;
}

int BoundPort(int fd) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return 0;
    return ntohs(address.sin_port);
}

} // namespace

std::string Request::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (EqualNoCase(key, name))
            return value;
    return {};
}

HttpServer::HttpServer(Handler handler) : handler_(std::move(handler)) {}

HttpServer::~HttpServer() {
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    Reap(true);
    if (httpFd_ >= 0)
        ::close(httpFd_);
    if (httpsFd_ >= 0)
        ::close(httpsFd_);
    SSL_CTX_free(tls_);
}

bool HttpServer::Open(const ServerOptions& options, std::string& error) {
    verbose_ = options.verbose;
    if (options.httpsPort >= 0) {
        tls_ = SSL_CTX_new(TLS_server_method());
        if (tls_ == nullptr || SSL_CTX_set_min_proto_version(tls_, TLS1_2_VERSION) != 1 ||
            SSL_CTX_use_certificate_chain_file(tls_, options.certFile.c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(tls_, options.keyFile.c_str(), SSL_FILETYPE_PEM) != 1 ||
            SSL_CTX_check_private_key(tls_) != 1) {
            error = "cannot use the certificate " + options.certFile + " with the key " + options.keyFile;
            ERR_clear_error();
            return false;
        }
        if ((httpsFd_ = OpenListener(options.httpsPort, error)) < 0)
            return false;
        httpsPort_ = BoundPort(httpsFd_);
    }
    if (options.httpPort >= 0) {
        if ((httpFd_ = OpenListener(options.httpPort, error)) < 0)
            return false;
        httpPort_ = BoundPort(httpFd_);
    }
    return true;
}

void HttpServer::Run(int stopFd, int stdinFd) {
    for (;;) {
        Reap(false);
        std::vector<pollfd> watched = {{stopFd, POLLIN, 0}, {stdinFd, POLLIN, 0}};
        // At the connection limit new clients wait in the backlog.
        bool room = connections_.size() < kMaxConnections;
        if (room && httpFd_ >= 0)
            watched.push_back({httpFd_, POLLIN, 0});
        if (room && httpsFd_ >= 0)
            watched.push_back({httpsFd_, POLLIN, 0});
        // The timeout only paces the reaping of finished connections.
        if (::poll(watched.data(), watched.size(), room ? 200 : 10) < 0 && errno != EINTR)
            break;
        if (watched[0].revents != 0)
            break;
        if (watched[1].revents != 0) {
            char discard[512];
            ssize_t n = ::read(stdinFd, discard, sizeof discard);
            if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
                break;
        }
        for (std::size_t i = 2; i < watched.size(); ++i)
            if (watched[i].revents & POLLIN)
                Accept(watched[i].fd, watched[i].fd == httpsFd_, watched[i].fd == httpsFd_ ? httpsPort_ : httpPort_);
    }
    {
        std::lock_guard lock(stopMutex_);
        stopping_ = true;
    }
    stopSignal_.notify_all();
    // Wakes threads blocked in a read or a write; each socket is closed after its thread is joined.
    for (auto& connection : connections_)
        ::shutdown(connection->fd, SHUT_RDWR);
    Reap(true);
}

void HttpServer::Accept(int listenFd, bool https, int localPort) {
    int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    timeval limit{kIoTimeoutSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    connection->https = https;
    connection->localPort = localPort;
    Connection& ref = *connection;
    connections_.push_back(std::move(connection));
    ref.thread = std::thread([this, &ref] {
        Serve(ref);
        ref.done = true;
    });
}

void HttpServer::Reap(bool all) {
    for (auto it = connections_.begin(); it != connections_.end();) {
        Connection& connection = **it;
        if (!all && !connection.done) {
            ++it;
            continue;
        }
        if (connection.thread.joinable())
            connection.thread.join();
        ::close(connection.fd);
        it = connections_.erase(it);
    }
}

bool HttpServer::Pause(int ms) {
    std::unique_lock lock(stopMutex_);
    return !stopSignal_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void HttpServer::Log(const std::string& line) {
    if (!verbose_)
        return;
    std::lock_guard lock(logMutex_);
    std::cerr << "marketsim: " << line << std::endl;
}

void HttpServer::Serve(Connection& connection) {
    Stream stream(connection.fd, connection.https ? tls_ : nullptr);
    const char* scheme = connection.https ? "https" : "http";
    if (!stream.Handshake(connection.https)) {
        Log(std::string(scheme) + " handshake failed");
        stream.Drop();
        return;
    }

    std::string buffer;
    std::size_t headEnd;
    while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos) {
        if (buffer.size() > kMaxHeaderBytes)
            break;
        if (!stream.ReadSome(buffer)) {
            stream.Drop();
            return;
        }
    }

    Request request;
    request.https = connection.https;
    request.localPort = connection.localPort;
    Response response;
    if (headEnd == std::string::npos) {
        response = Plain(431, "header block too large\n");
    } else if (!ParseHead(std::string_view(buffer).substr(0, headEnd), request)) {
        response = Plain(400, "not an HTTP/1.x request\n");
    } else {
        std::size_t bodyLength = 0;
        std::string declared = request.Header("Content-Length");
        auto [end, error] = std::from_chars(declared.data(), declared.data() + declared.size(), bodyLength);
        if (!declared.empty() && (error != std::errc() || end != declared.data() + declared.size())) {
            response = Plain(400, "bad Content-Length\n");
        } else if (bodyLength > kMaxBodyBytes) {
            response = Plain(413, "body too large\n");
        } else {
            if (EqualNoCase(request.Header("Expect"), "100-continue") && buffer.size() - headEnd - 4 < bodyLength)
                stream.Write("HTTP/1.1 100 Continue\r\n\r\n");
            // The body is read only so that closing does not reset a connection with unread bytes.
            while (buffer.size() - headEnd - 4 < bodyLength)
                if (!stream.ReadSome(buffer)) {
                    stream.Drop();
                    return;
                }
            try {
                response = handler_(request);
            } catch (const std::exception& e) {
                response = Plain(500, std::string(e.what()) + "\n");
            }
        }
    }

    if (response.delayMs > 0 && !Pause(response.delayMs)) {
        stream.Drop();
        return;
    }
    std::string head = StatusHead(response);
    bool withBody = request.method != "HEAD";
    Log(std::string(scheme) + " " + request.method + " " + request.target + " -> " + std::to_string(response.status) +
        " " + std::to_string(response.body.size()) + (response.cut ? " (cut)" : ""));
    if (response.cut) {
        if (stream.Write(head + (withBody ? response.body.substr(0, response.body.size() / 2) : std::string())))
            stream.Finish(false);
        return;
    }
    if (stream.Write(withBody ? head + response.body : head))
        stream.Finish(true);
    else
        stream.Drop();
}

} // namespace sw::marketsim
