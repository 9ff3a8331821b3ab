#pragma once

// A scripted HTTP peer on 127.0.0.1 for tests. It listens on an ephemeral port,
// serves connections one at a time on its own thread and records every request's
// exact bytes. Each accepted connection plays the next script queued with Answer
// or AnswerSteps; a connection beyond the queued scripts has its request read and
// is then closed. Used as a proxy it simply records the absolute-form target.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace sw::test {

struct ServerStep {
    enum class Kind {
        Receive, // read one request (headers plus Content-Length bytes of body) and record it
        Send,    // write bytes exactly
        Sleep,   // pause for ms
        Close,   // end the connection now
        Hang,    // stay silent, the connection open, until the client closes it or the server stops
    };
    Kind kind = Kind::Close;
    std::string bytes;
    int ms = 0;

    static ServerStep Receive() { return {Kind::Receive, {}, 0}; }
    static ServerStep Send(std::string data) { return {Kind::Send, std::move(data), 0}; }
    static ServerStep Sleep(int milliseconds) { return {Kind::Sleep, {}, milliseconds}; }
    static ServerStep Close() { return {Kind::Close, {}, 0}; }
    static ServerStep Hang() { return {Kind::Hang, {}, 0}; }
};

// One accepted connection as the script engine sees it. Reads and writes are
// non-blocking: Wait tells which readiness the last call needs.
class LoopbackStream {
public:
    enum class Io { Done, WantRead, WantWrite, Closed };
    virtual ~LoopbackStream() = default;
    // Done: handshake finished (or none needed).
    virtual Io Handshake() = 0;
    // Done with got > 0, or Closed at the peer's end (or on an error).
    virtual Io Read(char* buffer, std::size_t size, std::size_t& got) = 0;
    virtual Io Write(const char* data, std::size_t size, std::size_t& written) = 0;
};

class LoopbackTransport {
public:
    virtual ~LoopbackTransport() = default;
    // Wraps an accepted, non-blocking socket; the stream does not own the socket.
    virtual std::unique_ptr<LoopbackStream> Wrap(int fd) = 0;
};

class LoopbackServer {
public:
    // Plain TCP.
    LoopbackServer();
    virtual ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    // One connection: read a request, send response, close.
    void Answer(std::string response);
    void AnswerSteps(std::vector<ServerStep> steps);

    int Port() const { return port_; }
    // "http://127.0.0.1:port" followed by path.
    virtual std::string Url(std::string_view path = "/") const;
    // Every request recorded so far, in arrival order.
    std::vector<std::string> Requests() const;
    // Connections accepted so far.
    int Connections() const { return connections_.load(); }

    // Ends the thread; later calls do nothing. The destructor calls it.
    void Stop();

protected:
    explicit LoopbackServer(std::unique_ptr<LoopbackTransport> transport);

private:
    void Start();
    void Run();
    void Serve(int fd);
    bool Play(int fd, LoopbackStream& stream, const std::vector<ServerStep>& script);
    // false when the server stops or the peer goes.
    bool Wait(int fd, LoopbackStream::Io need, int timeoutMs);
    bool ReadRequest(int fd, LoopbackStream& stream);
    bool WriteAll(int fd, LoopbackStream& stream, std::string_view bytes);

    std::unique_ptr<LoopbackTransport> transport_;
    int listenFd_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::deque<std::vector<ServerStep>> scripts_;
    std::vector<std::string> requests_;
    std::string pending_; // bytes read past the end of the last request
    std::thread thread_;
};

} // namespace sw::test
