#include "tests/app/test_window.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace sw::test {

std::string UnreachableAddress() {
    // A port that was free a moment ago and has no listener now.
    static const int port = [] {
        int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(fd, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
        close(fd);
        return static_cast<int>(ntohs(address.sin_port));
    }();
    return "http://127.0.0.1:" + std::to_string(port) + "/pinglun.html";
}

TestWindow::TestWindow(bool create, WindowLifecycle* lifecycle) {
    if (create)
        Create(lifecycle);
}

void TestWindow::Create(WindowLifecycle* lifecycle, std::string homePage) {
    MainWindowSetup setup;
    setup.programFolder = programFolder_.Path();
    setup.homePageAddress = std::move(homePage);
    setup.makerAddress = "https://maker.example";
    setup.lifecycle = lifecycle;
    window_ = std::make_unique<MainWindow>(std::move(setup));
}

} // namespace sw::test
