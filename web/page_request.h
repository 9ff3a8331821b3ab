#pragma once

// The one HTTP operation of the system. One call is one complete, synchronous
// exchange on the calling thread: it completes the caller's header block with
// defaults, sends the request, reads the whole response and returns the body as
// program text (GBK). Failures never throw: status receives a numbered message
// (700 to 713) and the result is empty. While it waits the call keeps the
// window alive through the message-pump hook (text/ui_pump.h).

#include <string>
#include <string_view>

namespace sw {

// The optional arguments. Outputs are the caller's variables: nullptr means the
// caller does not ask for it, and an output the request does not write keeps its
// value. cookies is in/out, and whether it is given at all changes the request.
struct PageRequestArgs {
    int method = 0; // 0 GET, 1 POST, 2 HEAD, 3 PUT, 4 OPTIONS, 5 DELETE, 6 TRACE, 7 CONNECT; others GET
    std::string_view postData;
    std::string* cookies = nullptr;         // in/out: 'name=value; name2=value2'
    std::string* receivedCookies = nullptr; // out
    std::string_view headers;               // extra lines separated by "\r\n", no trailing line end
    std::string* responseHeaders = nullptr; // out: the raw header block of the final response
    bool noRedirect = false;
    std::string_view userName;
    std::string_view password;
    std::string_view proxy; // host:port
    std::string_view proxyUser;
    std::string_view proxyPassword;
    int timeoutSeconds = 0;               // per phase; 0 or less means 30
    std::string* location = nullptr;      // out: the Location header
    std::string* status = nullptr;        // out: '200 OK', or the failure message
    std::string* responseBytes = nullptr; // out: the body exactly as received
    bool mergeCookies = true;
};

std::string PageRequest(std::string_view url, const PageRequestArgs& args = {});

} // namespace sw
