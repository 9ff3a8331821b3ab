#pragma once

#include <string>
#include <string_view>

namespace sw {

// The charset step of a page request: when the first 1024 bytes of bodyText
// declare a charset in a meta tag, other than "gbk" and "gb2312", the whole
// rawBody is decoded with it into program text. Otherwise, and when the charset
// is unknown, bodyText comes back as it was.
std::string DecodeDeclaredCharset(std::string_view rawBody, std::string bodyText);

} // namespace sw
