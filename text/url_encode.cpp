#include "text/url_encode.h"

#include "text/code_page.h"

namespace sw {
namespace {

bool IsPlain(unsigned char b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || b == '-' || b == '.';
}

std::string Encode(std::string_view bytes, bool keepPlain) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    size_t plain = 0;
    if (keepPlain)
        for (char c : bytes)
            plain += IsPlain(static_cast<unsigned char>(c)) ? 1 : 0;
    std::string out(plain + (bytes.size() - plain) * 3, '\0');
    char* w = out.data();
    for (char c : bytes) {
        auto b = static_cast<unsigned char>(c);
        if (keepPlain && IsPlain(b)) {
            *w++ = c;
        } else {
            w[0] = '%';
            w[1] = kHex[b >> 4];
            w[2] = kHex[b & 0x0F];
            w += 3;
        }
    }
    return out;
}

} // namespace

std::string UrlEncode(std::string_view text, bool keepPlain, bool toUtf8) {
    if (text.empty())
        return {};
    if (toUtf8)
        return Encode(GbkToUtf8(text), keepPlain);
    return Encode(text, keepPlain);
}

std::string EscapeUnsafeUrlBytes(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (char c : url) {
        auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F) {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace sw
