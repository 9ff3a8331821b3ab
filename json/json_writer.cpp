#include "json/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace sw::json {

namespace {

// Lead bytes whose character may need escaping: the ASCII ones the escape
// table names, and the UTF-8 leads of the ranges written as \u escapes.
struct EscapeTable {
    bool check[256] = {};
    constexpr EscapeTable() {
        for (int b = 0; b < 0x20; ++b)
            check[b] = true;
        for (unsigned char b : {'"', '\\', '\x7F', '\xC2', '\xD8', '\xDC', '\xE1', '\xE2', '\xEF'})
            check[b] = true;
    }
};
constexpr EscapeTable kEscape;

bool EscapedAsUnicode(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || (c >= 0x600 && c <= 0x604) || c == 0x70F ||
           c == 0x17B4 || c == 0x17B5 || (c >= 0x200C && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || c >= 0xFFF0;
}

void AppendUnicodeEscape(char32_t c, std::string& out) {
    static constexpr char kHex[] = "0123456789abcdef";
    char escape[6] = {'\\', 'u', kHex[c >> 12 & 0xF], kHex[c >> 8 & 0xF], kHex[c >> 4 & 0xF], kHex[c & 0xF]};
    out.append(escape, sizeof escape);
}

void AppendString(std::string_view text, std::string& out) {
    out.push_back('"');
    auto bytes = reinterpret_cast<const unsigned char*>(text.data());
    size_t n = text.size();
    size_t copied = 0;
    for (size_t i = 0; i < n;) {
        unsigned char b = bytes[i];
        if (!kEscape.check[b]) {
            ++i;
            continue;
        }
        // Decode the one character at i; the tree holds valid UTF-8, but a cut
        // sequence is copied as it is rather than read past the end.
        size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : 3;
        if (i + length > n) {
            i = n;
            break;
        }
        char32_t c = b;
        if (length == 2)
            c = (b & 0x1Fu) << 6 | (bytes[i + 1] & 0x3Fu);
        else if (length == 3)
            c = (b & 0x0Fu) << 12 | (bytes[i + 1] & 0x3Fu) << 6 | (bytes[i + 2] & 0x3Fu);
        const char* shortForm = nullptr;
        switch (c) {
        case '"':
            shortForm = "\\\"";
            break;
        case '\\':
            shortForm = "\\\\";
            break;
        case '\b':
            shortForm = "\\b";
            break;
        case '\f':
            shortForm = "\\f";
            break;
        case '\n':
            shortForm = "\\n";
            break;
        case '\r':
            shortForm = "\\r";
            break;
        case '\t':
            shortForm = "\\t";
            break;
        default:
            break;
        }
        if (shortForm == nullptr && !EscapedAsUnicode(c)) {
            i += length;
            continue;
        }
        out.append(text.data() + copied, i - copied);
        if (shortForm != nullptr)
            out.append(shortForm);
        else
            AppendUnicodeEscape(c, out);
        i += length;
        copied = i;
    }
    out.append(text.data() + copied, n - copied);
    out.push_back('"');
}

} // namespace

void AppendJsonNumber(double number, std::string& out) {
    if (!std::isfinite(number)) {
        out.append("null");
        return;
    }
    if (number == 0) { // -0 as well
        out.push_back('0');
        return;
    }
    if (number < 0) {
        out.push_back('-');
        number = -number;
    }
    // The shortest round-trip digits in scientific form, d.ddde±x, laid out again.
    char buffer[40];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::scientific).ptr;
    char* e = buffer;
    while (*e != 'e')
        ++e;
    char digits[20];
    int k = 0;
    for (char* p = buffer; p < e; ++p) {
        if (*p != '.')
            digits[k++] = *p;
    }
    int exponent = 0;
    std::from_chars(e + (e[1] == '+' ? 2 : 1), end, exponent);
    int n = exponent + 1; // the value is 0.digits times 10^n
    if (k <= n && n <= 21) {
        out.append(digits, static_cast<size_t>(k));
        out.append(static_cast<size_t>(n - k), '0');
    } else if (0 < n && n <= 21) {
        out.append(digits, static_cast<size_t>(n));
        out.push_back('.');
        out.append(digits + n, static_cast<size_t>(k - n));
    } else if (-6 < n && n <= 0) {
        out.append("0.");
        out.append(static_cast<size_t>(-n), '0');
        out.append(digits, static_cast<size_t>(k));
    } else {
        out.push_back(digits[0]);
        if (k > 1) {
            out.push_back('.');
            out.append(digits + 1, static_cast<size_t>(k - 1));
        }
        out.push_back('e');
        out.push_back(n - 1 < 0 ? '-' : '+');
        out.append(std::to_string(std::abs(n - 1)));
    }
}

void WriteJson(const JsonValue& value, std::string& out) {
    struct Frame {
        const JsonValue* container;
        size_t next;
        bool wroteMember;
    };
    std::vector<Frame> stack;
    // Writes a scalar whole; a container only opens and waits on the stack.
    auto open = [&](const JsonValue& v) {
        switch (v.kind) {
        case JsonKind::Undefined:
        case JsonKind::Null:
            out.append("null");
            break;
        case JsonKind::Boolean:
            out.append(v.truth ? "true" : "false");
            break;
        case JsonKind::Number:
            AppendJsonNumber(v.number, out);
            break;
        case JsonKind::String:
            AppendString(v.text, out);
            break;
        case JsonKind::Array:
            out.push_back('[');
            stack.push_back({&v, 0, false});
            break;
        case JsonKind::Object:
            out.push_back('{');
            stack.push_back({&v, 0, false});
            break;
        }
    };
    if (value.kind == JsonKind::Undefined)
        return;
    open(value);
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const JsonValue& container = *frame.container;
        if (container.kind == JsonKind::Array) {
            if (frame.next == container.elements.size()) {
                out.push_back(']');
                stack.pop_back();
                continue;
            }
            if (frame.next > 0)
                out.push_back(',');
            open(container.elements[frame.next++]); // may grow the stack: frame is not used after this
            continue;
        }
        const std::vector<JsonMember>& members = container.members;
        while (frame.next < members.size() && members[frame.next].value.kind == JsonKind::Undefined)
            ++frame.next;
        if (frame.next == members.size()) {
            out.push_back('}');
            stack.pop_back();
            continue;
        }
        if (frame.wroteMember)
            out.push_back(',');
        frame.wroteMember = true;
        const JsonMember& member = members[frame.next++];
        AppendString(member.name, out);
        out.push_back(':');
        open(member.value);
    }
}

} // namespace sw::json
