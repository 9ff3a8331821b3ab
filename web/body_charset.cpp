#include "web/body_charset.h"

#include "text/code_page.h"
#include "text/iconv_codec.h"
#include "text/regex_object.h"
#include "text/ui_pump.h"

#include <algorithm>
#include <optional>

namespace sw {
namespace {

constexpr size_t kDeclarationWindow = 1024;
constexpr std::string_view kCharsetPattern = "<meta.+?charset=[^\\w]?([-\\w]+)";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}

// The declared charset of the page's head, or empty.
std::string DeclaredCharset(std::string_view bodyText) {
    RegexObject regex;
    if (!regex.Search(kCharsetPattern, bodyText.substr(0, kDeclarationWindow)))
        return {};
    return regex.SubMatchText(1, 1);
}

// Program text stops at its first zero byte.
std::string CutAtZero(std::string text) {
    size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return text;
}

// The whole raw body read in the named charset, as program text; nullopt when
// the charset is unknown.
std::optional<std::string> Decode(std::string_view rawBody, const std::string& charset) {
    if (EqualsIgnoringCase(charset, "utf-8") || EqualsIgnoringCase(charset, "utf8")) {
        // A text reader in UTF-8 drops the byte-order mark.
        if (rawBody.substr(0, 3) == "\xEF\xBB\xBF")
            rawBody.remove_prefix(3);
        return CutAtZero(Utf8ToGbk(rawBody));
    }
    std::optional<std::u16string> units = DecodeWithIconv(rawBody, charset);
    if (!units)
        return std::nullopt;
    return CutAtZero(Utf16UnitsToGbk(*units));
}

} // namespace

std::string DecodeDeclaredCharset(std::string_view rawBody, std::string bodyText) {
    std::string charset = DeclaredCharset(bodyText);
    if (!charset.empty() && charset != "gbk" && charset != "gb2312") {
        if (std::optional<std::string> decoded = Decode(rawBody, charset))
            bodyText = std::move(*decoded);
    }
    ProcessPendingMessages();
    return bodyText;
}

} // namespace sw
