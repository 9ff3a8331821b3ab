#include "tests/support/gbk_assert.h"

#include "text/code_page.h"

#include <cstdio>

namespace sw::test {

std::string G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}

std::string Describe(std::string_view gbk) {
    std::string out = "\"" + GbkToUtf8(gbk) + "\" [";
    char hex[4];
    for (size_t i = 0; i < gbk.size() && i < 64; ++i) {
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", static_cast<unsigned char>(gbk[i]));
        out += hex;
    }
    if (gbk.size() > 64)
        out += " ... " + std::to_string(gbk.size()) + " bytes";
    return out + "]";
}

::testing::AssertionResult GbkEqual(const char* expectedExpr, const char* actualExpr, std::string_view expected,
                                    std::string_view actual) {
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "GBK texts differ\n  expected (" << expectedExpr
                                         << "): " << Describe(expected) << "\n  actual (" << actualExpr
                                         << "):   " << Describe(actual);
}

} // namespace sw::test
