#pragma once

// The two small fetches beside the page request: a plain GET used as a second
// way to read a page, and the online test. Both use the system's proxy settings
// (the environment), verify certificates like the page request, block the
// calling thread without pumping messages, and never throw.

#include <string>
#include <string_view>

namespace sw {

// A GET of url with no header lines of the caller's, redirects followed. The
// body bytes as received, whatever the status; empty on any failure (a URL that
// does not parse, no connection, a body broken off, a time limit passed).
// timeoutSeconds limits connecting and any stall afterwards; 0 or less means 30.
std::string PlainGet(std::string_view url, int timeoutSeconds = 30);

// True when a response status line arrives for url, asked for with the user
// agent "test" and past any cache. The body is not read.
bool UrlOpens(std::string_view url, int timeoutSeconds = 30);

} // namespace sw
