#include "web/body_charset.h"

#include "tests/support/gbk_assert.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

using test::G;

struct CharsetCase {
    const char* name;
    std::string raw;
    std::string expected;
};

// The body text a request hands over: the raw bytes read as GBK up to a zero byte.
std::string BodyTextOf(const std::string& raw) {
    return raw.substr(0, raw.find('\0'));
}

TEST(BodyCharsetTest, DecodesTheDeclaredCharsetOfTheWholeBody) {
    const std::string utf8Page = "<html><meta charset=\"utf-8\"><p>\xE4\xB8\xAD\xE6\x96\x87</p>";
    const std::string gbkPage = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">" + G("中文");
    const std::string padding(1024, ' ');
    const CharsetCase cases[] = {
        {"utf-8", utf8Page, G("<html><meta charset=\"utf-8\"><p>中文</p>")},
        {"UTF-8 in capitals", "<META CHARSET=UTF-8>\xE4\xB8\xAD", G("<META CHARSET=UTF-8>中")},
        {"byte-order mark dropped", "\xEF\xBB\xBF<html><meta charset=utf-8>", "<html><meta charset=utf-8>"},
        {"gbk kept as read", gbkPage, gbkPage},
        {"no declaration", "<p>\xE4\xB8\xAD</p>", "<p>\xE4\xB8\xAD</p>"},
        {"declared after the first kilobyte", padding + utf8Page, padding + utf8Page},
        {"charset on a later line than <meta", "<meta\ncharset=utf-8>\xE4\xB8\xAD",
         "<meta\ncharset=utf-8>\xE4\xB8\xAD"},
        {"unknown charset", "<meta charset=x-nonsense>\xE4\xB8\xAD", "<meta charset=x-nonsense>\xE4\xB8\xAD"},
        {"latin-1", "<meta charset='iso-8859-1'>caf\xE9", "<meta charset='iso-8859-1'>caf" + G("é")},
        {"big5", "<meta charset=big5>\xA4\xA4", "<meta charset=big5>" + G("中")},
    };
    for (const CharsetCase& c : cases)
        EXPECT_GBK_EQ(c.expected, DecodeDeclaredCharset(c.raw, BodyTextOf(c.raw))) << c.name;
}

} // namespace
} // namespace sw
