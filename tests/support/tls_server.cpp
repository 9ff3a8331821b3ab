#include "tests/support/tls_server.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include <csignal>
#include <stdexcept>

namespace sw::test {
namespace {

using Io = LoopbackStream::Io;

class TlsStream : public LoopbackStream {
public:
    TlsStream(SSL_CTX* context, int fd) : ssl_(SSL_new(context)) {
        if (ssl_ != nullptr)
            SSL_set_fd(ssl_, fd);
    }
    ~TlsStream() override {
        if (ssl_ != nullptr) {
            SSL_shutdown(ssl_);
            SSL_free(ssl_);
        }
        ERR_clear_error();
    }
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    Io Handshake() override {
        if (ssl_ == nullptr)
            return Io::Closed;
        return Result(SSL_accept(ssl_));
    }

    Io Read(char* buffer, std::size_t size, std::size_t& got) override {
        return Result(SSL_read_ex(ssl_, buffer, size, &got) == 1 ? 1 : 0);
    }

    Io Write(const char* data, std::size_t size, std::size_t& written) override {
        return Result(SSL_write_ex(ssl_, data, size, &written) == 1 ? 1 : 0);
    }

private:
    Io Result(int returned) {
        if (returned == 1)
            return Io::Done;
        switch (SSL_get_error(ssl_, returned)) {
        case SSL_ERROR_WANT_READ:
            return Io::WantRead;
        case SSL_ERROR_WANT_WRITE:
            return Io::WantWrite;
        default:
            ERR_clear_error();
            return Io::Closed;
        }
    }

    SSL* ssl_;
};

class TlsTransport : public LoopbackTransport {
public:
    TlsTransport() : context_(SSL_CTX_new(TLS_server_method())) {
        if (context_ == nullptr ||
            SSL_CTX_use_certificate_chain_file(context_, FixtureFile("localhost-cert.pem").c_str()) != 1 ||
            SSL_CTX_use_PrivateKey_file(context_, FixtureFile("localhost-key.pem").c_str(), SSL_FILETYPE_PEM) != 1)
            throw std::runtime_error("cannot load the TLS fixture");
        // OpenSSL writes with plain write(): a client that has gone must not end the test process.
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~TlsTransport() override { SSL_CTX_free(context_); }
    TlsTransport(const TlsTransport&) = delete;
    TlsTransport& operator=(const TlsTransport&) = delete;

    std::unique_ptr<LoopbackStream> Wrap(int fd) override { return std::make_unique<TlsStream>(context_, fd); }

private:
    SSL_CTX* context_;
};

} // namespace

std::string FixtureFile(std::string_view name) {
    return std::string(SW_FIXTURE_DIR) + "/" + std::string(name);
}

TlsServer::TlsServer() : LoopbackServer(std::make_unique<TlsTransport>()) {}

std::string TlsServer::Url(std::string_view path) const {
    return "https://127.0.0.1:" + std::to_string(Port()) + std::string(path);
}

} // namespace sw::test
