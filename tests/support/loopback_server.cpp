#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace sw::test {
namespace {

void SetNonBlocking(int fd) {
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

class PlainStream : public LoopbackStream {
public:
    explicit PlainStream(int fd) : fd_(fd) {}

    Io Handshake() override { return Io::Done; }

    Io Read(char* buffer, std::size_t size, std::size_t& got) override {
        ssize_t n = recv(fd_, buffer, size, 0);
        if (n > 0) {
            got = static_cast<std::size_t>(n);
            return Io::Done;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return Io::WantRead;
        return Io::Closed;
    }

    Io Write(const char* data, std::size_t size, std::size_t& written) override {
        ssize_t n = send(fd_, data, size, MSG_NOSIGNAL);
        if (n >= 0) {
            written = static_cast<std::size_t>(n);
            return Io::Done;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return Io::WantWrite;
        return Io::Closed;
    }

private:
    int fd_;
};

class PlainTransport : public LoopbackTransport {
public:
    std::unique_ptr<LoopbackStream> Wrap(int fd) override { return std::make_unique<PlainStream>(fd); }
};

// Content-Length of a header block, 0 when it has none.
std::size_t ContentLength(std::string_view head) {
    std::size_t pos = 0;
    while (pos < head.size()) {
        std::size_t end = head.find('\n', pos);
        if (end == std::string_view::npos)
            end = head.size();
        std::string_view line = head.substr(pos, end - pos);
        constexpr std::string_view kName = "content-length:";
        if (line.size() > kName.size()) {
            bool match = true;
            for (std::size_t i = 0; i < kName.size() && match; ++i)
                match = (line[i] | 0x20) == kName[i];
            if (match) {
                std::size_t value = 0;
                for (char c : line.substr(kName.size()))
                    if (c >= '0' && c <= '9')
                        value = value * 10 + static_cast<std::size_t>(c - '0');
                return value;
            }
        }
        pos = end + 1;
    }
    return 0;
}

} // namespace

LoopbackServer::LoopbackServer() : LoopbackServer(std::make_unique<PlainTransport>()) {}

LoopbackServer::LoopbackServer(std::unique_ptr<LoopbackTransport> transport) : transport_(std::move(transport)) {
    Start();
}

LoopbackServer::~LoopbackServer() {
    Stop();
}

void LoopbackServer::Start() {
    int wake[2];
    if (pipe(wake) != 0)
        throw std::runtime_error("pipe failed");
    wakeRead_ = wake[0];
    wakeWrite_ = wake[1];

    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof(address);
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        listen(listenFd_, 16) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    SetNonBlocking(listenFd_);
    thread_ = std::thread([this] { Run(); });
}

void LoopbackServer::Stop() {
    if (!thread_.joinable())
        return;
    stopping_ = true;
    char byte = 1;
    [[maybe_unused]] ssize_t ignored = write(wakeWrite_, &byte, 1);
    thread_.join();
    close(listenFd_);
    close(wakeRead_);
    close(wakeWrite_);
}

void LoopbackServer::Answer(std::string response) {
    AnswerSteps({ServerStep::Receive(), ServerStep::Send(std::move(response)), ServerStep::Close()});
}

void LoopbackServer::AnswerSteps(std::vector<ServerStep> steps) {
    std::lock_guard lock(mutex_);
    scripts_.push_back(std::move(steps));
}

std::string LoopbackServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

std::vector<std::string> LoopbackServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackServer::Run() {
    while (!stopping_) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (stopping_)
            return;
        if (!(fds[0].revents & POLLIN))
            continue;
        int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0)
            continue;
        ++connections_;
        Serve(fd);
        close(fd);
    }
}

void LoopbackServer::Serve(int fd) {
    std::vector<ServerStep> script;
    {
        std::lock_guard lock(mutex_);
        if (!scripts_.empty()) {
            script = std::move(scripts_.front());
            scripts_.pop_front();
        }
    }
    if (script.empty())
        script = {ServerStep::Receive(), ServerStep::Close()};
    pending_.clear();
    std::unique_ptr<LoopbackStream> stream = transport_->Wrap(fd);
    if (!stream)
        return;
    for (;;) {
        LoopbackStream::Io io = stream->Handshake();
        if (io == LoopbackStream::Io::Done)
            break;
        if (io == LoopbackStream::Io::Closed || !Wait(fd, io, -1))
            return;
    }
    Play(fd, *stream, script);
}

bool LoopbackServer::Play(int fd, LoopbackStream& stream, const std::vector<ServerStep>& script) {
    for (const ServerStep& step : script) {
        switch (step.kind) {
        case ServerStep::Kind::Receive:
            if (!ReadRequest(fd, stream))
                return false;
            break;
        case ServerStep::Kind::Send:
            if (!WriteAll(fd, stream, step.bytes))
                return false;
            break;
        case ServerStep::Kind::Sleep:
            if (!Wait(-1, LoopbackStream::Io::Done, step.ms) && stopping_)
                return false;
            break;
        case ServerStep::Kind::Close:
            return true;
        case ServerStep::Kind::Hang: {
            char sink[4096];
            for (;;) {
                std::size_t got = 0;
                LoopbackStream::Io io = stream.Read(sink, sizeof(sink), got);
                if (io == LoopbackStream::Io::Closed || (io != LoopbackStream::Io::Done && !Wait(fd, io, -1)))
                    return false;
            }
        }
        }
    }
    return true;
}

// With fd < 0 this only sleeps (until timeoutMs passes or the server stops) and
// returns false when the time ran out or the server stops.
bool LoopbackServer::Wait(int fd, LoopbackStream::Io need, int timeoutMs) {
    if (stopping_)
        return false;
    pollfd fds[2] = {{wakeRead_, POLLIN, 0},
                     {fd, static_cast<short>(need == LoopbackStream::Io::WantWrite ? POLLOUT : POLLIN), 0}};
    int ready = poll(fds, fd < 0 ? 1 : 2, timeoutMs);
    if (stopping_ || ready <= 0)
        return false;
    return fd >= 0;
}

bool LoopbackServer::ReadRequest(int fd, LoopbackStream& stream) {
    std::string request = std::move(pending_);
    pending_.clear();
    std::size_t wanted = std::string::npos; // the whole request's length once the head is complete
    char buffer[16384];
    for (;;) {
        if (wanted == std::string::npos) {
            std::size_t headEnd = request.find("\r\n\r\n");
            if (headEnd != std::string::npos)
                wanted = headEnd + 4 + ContentLength(std::string_view(request).substr(0, headEnd + 2));
        }
        if (wanted != std::string::npos && request.size() >= wanted) {
            pending_ = request.substr(wanted);
            request.resize(wanted);
            break;
        }
        std::size_t got = 0;
        LoopbackStream::Io io = stream.Read(buffer, sizeof(buffer), got);
        if (io == LoopbackStream::Io::Done) {
            request.append(buffer, got);
            continue;
        }
        if (io == LoopbackStream::Io::Closed || !Wait(fd, io, -1)) {
            if (!request.empty()) {
                std::lock_guard lock(mutex_);
                requests_.push_back(std::move(request));
            }
            return false;
        }
    }
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
    return true;
}

bool LoopbackServer::WriteAll(int fd, LoopbackStream& stream, std::string_view bytes) {
    while (!bytes.empty()) {
        std::size_t written = 0;
        LoopbackStream::Io io = stream.Write(bytes.data(), bytes.size(), written);
        if (io == LoopbackStream::Io::Done) {
            bytes.remove_prefix(written);
            continue;
        }
        if (io == LoopbackStream::Io::Closed || !Wait(fd, io, -1))
            return false;
    }
    return true;
}

} // namespace sw::test
