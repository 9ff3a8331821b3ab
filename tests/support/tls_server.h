#pragma once

// The loopback server over TLS, presenting the fixture certificate for
// 127.0.0.1 and localhost (tests/fixtures/localhost-cert.pem).

#include "tests/support/loopback_server.h"

#include <string>
#include <string_view>

namespace sw::test {

// The path of a file under tests/fixtures.
std::string FixtureFile(std::string_view name);

class TlsServer : public LoopbackServer {
public:
    TlsServer();

    // "https://127.0.0.1:port" followed by path.
    std::string Url(std::string_view path = "/") const override;
    // The certificate the server presents; trusting it lets a client through.
    static std::string CertificateFile() { return FixtureFile("localhost-cert.pem"); }
};

} // namespace sw::test
