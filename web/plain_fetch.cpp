#include "web/plain_fetch.h"

#include "text/url_encode.h"
#include "web/tls_trust.h"

#include <curl/curl.h>

#include <algorithm>
#include <memory>

namespace sw {
namespace {

struct CurlDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

std::size_t AppendBody(char* data, std::size_t size, std::size_t count, void* user) {
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

// Stops the transfer at the first header line: the status line is all the online test wants.
std::size_t NoteStatusLine(char*, std::size_t, std::size_t, void* user) {
    *static_cast<bool*>(user) = true;
    return 0;
}

// The options both fetches share; false when one cannot be set.
bool Prepare(CURL* easy, const std::string& escapedUrl, int timeoutSeconds) {
    long limit = timeoutSeconds <= 0 ? 30L : std::min(timeoutSeconds, 24 * 3600);
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, escapedUrl.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1)) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, limit) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limit) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK;
    if (std::string extra = ExtraCaFile(); ok && !extra.empty()) {
        // CAINFO replaces the built-in bundle; the system folder keeps the rest trusted.
        const char* systemFolder = curl_version_info(CURLVERSION_NOW)->capath;
        ok = curl_easy_setopt(easy, CURLOPT_CAINFO, extra.c_str()) == CURLE_OK &&
             curl_easy_setopt(easy, CURLOPT_CAPATH, systemFolder ? systemFolder : "/etc/ssl/certs") == CURLE_OK;
    }
    return ok;
}

} // namespace

std::string PlainGet(std::string_view url, int timeoutSeconds) {
    std::unique_ptr<CURL, CurlDeleter> easy(curl_easy_init());
    std::string escaped = EscapeUnsafeUrlBytes(url);
    std::string body;
    if (!easy || url.empty() || !Prepare(easy.get(), escaped, timeoutSeconds) ||
        curl_easy_setopt(easy.get(), CURLOPT_FOLLOWLOCATION, 1L) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_MAXREDIRS, 10L) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http,https") != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, AppendBody) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &body) != CURLE_OK)
        return {};
    if (curl_easy_perform(easy.get()) != CURLE_OK)
        return {};
    return body;
}

bool UrlOpens(std::string_view url, int timeoutSeconds) {
    std::unique_ptr<CURL, CurlDeleter> easy(curl_easy_init());
    std::string escaped = EscapeUnsafeUrlBytes(url);
    bool statusLine = false;
    std::unique_ptr<curl_slist, SlistDeleter> headers(curl_slist_append(nullptr, "Cache-Control: no-cache"));
    bool listed = headers && curl_slist_append(headers.get(), "Pragma: no-cache") != nullptr;
    if (!easy || url.empty() || !listed || !Prepare(easy.get(), escaped, timeoutSeconds) ||
        curl_easy_setopt(easy.get(), CURLOPT_USERAGENT, "test") != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_HEADERFUNCTION, NoteStatusLine) != CURLE_OK ||
        curl_easy_setopt(easy.get(), CURLOPT_HEADERDATA, &statusLine) != CURLE_OK)
        return false;
    curl_easy_perform(easy.get());
    return statusLine;
}

} // namespace sw
