#include "text/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace sw {
namespace {

// Reads text one character at a time with the full-width folding applied; a
// two-byte character without an ASCII form comes out as 0xFF, which no number
// rule accepts.
class FoldedReader {
public:
    explicit FoldedReader(std::string_view text) : text_(text) {}

    int Peek() const {
        if (pos_ >= text_.size())
            return -1;
        auto b = static_cast<unsigned char>(text_[pos_]);
        if (b < 0x81 || pos_ + 1 >= text_.size())
            return b;
        auto trail = static_cast<unsigned char>(text_[pos_ + 1]);
        if (b == 0xA3 && trail >= 0xA1 && trail <= 0xFE)
            return trail - 0x80;
        if (b == 0xA1 && trail == 0xA1)
            return ' ';
        return 0xFF;
    }

    void Next() {
        auto b = static_cast<unsigned char>(text_[pos_]);
        pos_ += (b >= 0x81 && pos_ + 1 < text_.size()) ? 2 : 1;
    }

    void SkipWhiteSpace() {
        for (int c = Peek(); c == ' ' || (c >= '\t' && c <= '\r'); c = Peek())
            Next();
    }

    // Consumes one optional sign; true for "-".
    bool ReadSign() {
        int c = Peek();
        if (c != '+' && c != '-')
            return false;
        Next();
        return c == '-';
    }

private:
    std::string_view text_;
    size_t pos_ = 0;
};

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// The power of ten of the leading digit of a decimal number text ("123.4" gives
// 3, "0.01" gives -1); tells an overflow from an underflow.
long DecimalExponent(const std::string& number) {
    std::size_t e = number.find('e');
    std::string_view mantissa(number.data(), e == std::string::npos ? number.size() : e);
    long exponent = 0;
    if (e != std::string::npos) {
        long parsed = 0;
        const char* first = number.data() + e + 1 + (number[e + 1] == '+' ? 1 : 0);
        auto [ptr, ec] = std::from_chars(first, number.data() + number.size(), parsed);
        (void)ptr;
        exponent = ec == std::errc::result_out_of_range ? (number[e + 1] == '-' ? -100000 : 100000) : parsed;
    }
    std::size_t point = mantissa.find('.');
    std::size_t intLength = point == std::string_view::npos ? mantissa.size() : point;
    std::size_t firstNonZero = mantissa.find_first_not_of("0.");
    if (firstNonZero == std::string_view::npos)
        return 0;
    long magnitude = firstNonZero < intLength ? static_cast<long>(intLength - firstNonZero)
                                              : -static_cast<long>(firstNonZero - intLength - 1);
    return magnitude + (exponent > 100000 ? 100000 : exponent < -100000 ? -100000 : exponent);
}

} // namespace

std::int64_t TextToInt64(std::string_view text) {
    FoldedReader r(text);
    r.SkipWhiteSpace();
    bool negative = r.ReadSign();
    // Accumulate towards the sign's end so that the lowest value fits.
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    bool clipped = false;
    for (int c = r.Peek(); IsDigit(c); c = r.Peek()) {
        int digit = c - '0';
        if (!clipped) {
            if (negative) {
                if (value < (kMin + digit) / 10) {
                    value = kMin;
                    clipped = true;
                } else {
                    value = value * 10 - digit;
                }
            } else if (value > (kMax - digit) / 10) {
                value = kMax;
                clipped = true;
            } else {
                value = value * 10 + digit;
            }
        }
        r.Next();
    }
    return value;
}

std::int32_t TextToInt(std::string_view text) {
    std::int64_t value = TextToInt64(text);
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

double TextToNumber(std::string_view text) {
    FoldedReader r(text);
    r.SkipWhiteSpace();
    bool negative = r.ReadSign();
    // Gather the folded ASCII form of the longest decimal number, then convert
    // it with correct rounding and no dependence on the locale.
    std::string digits;
    bool anyDigit = false;
    for (int c = r.Peek(); IsDigit(c); c = r.Peek()) {
        digits.push_back(static_cast<char>(c));
        anyDigit = true;
        r.Next();
    }
    if (r.Peek() == '.') {
        r.Next();
        digits.push_back('.');
        for (int c = r.Peek(); IsDigit(c); c = r.Peek()) {
            digits.push_back(static_cast<char>(c));
            anyDigit = true;
            r.Next();
        }
    }
    if (!anyDigit)
        return 0.0;
    if (int e = r.Peek(); e == 'e' || e == 'E') {
        FoldedReader afterE = r;
        afterE.Next();
        int sign = afterE.Peek();
        bool hasSign = sign == '+' || sign == '-';
        if (hasSign)
            afterE.Next();
        if (IsDigit(afterE.Peek())) {
            digits.push_back('e');
            if (hasSign)
                digits.push_back(static_cast<char>(sign));
            for (int c = afterE.Peek(); IsDigit(c); c = afterE.Peek()) {
                digits.push_back(static_cast<char>(c));
                afterE.Next();
            }
        }
    }
    double value = 0.0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), value).ec == std::errc::result_out_of_range)
        value = DecimalExponent(digits) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -value : value;
}

std::string NumberToText(double value) {
    // The C runtime of the platform wrote non-finite values this way.
    if (std::isinf(value))
        return value > 0 ? "1.#INF" : "-1.#INF";
    if (std::isnan(value))
        return std::signbit(value) ? "-1.#IND" : "1.#QNAN";
    // to_chars writes what "%.13g" writes, without the locale's decimal comma.
    char buffer[40];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
    std::string text(buffer, result.ptr);
    // Widen the exponent to three digits: "1e+14" becomes "1e+014".
    std::size_t e = text.find('e');
    if (e != std::string::npos && text.size() - (e + 2) < 3)
        text.insert(e + 2, 3 - (text.size() - (e + 2)), '0');
    return text;
}

std::string TruthText(bool value) {
    return value ? "\xD5\xE6" : "\xBC\xD9";
}

} // namespace sw
