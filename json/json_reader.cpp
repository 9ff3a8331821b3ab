#include "json/json_reader.h"

#include <simdjson.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace sw::json {

namespace {

namespace dom = simdjson::dom;

// The parser's buffers are kept between pages; a text larger than this gets a
// parser of its own, so that one huge text does not pin its memory.
constexpr size_t kSharedParserLimit = 16u << 20;

// Sets value to a scalar, or to the kind of a container whose children come later.
void SetScalar(dom::element element, JsonValue& value) {
    switch (element.type()) {
    case dom::element_type::ARRAY:
        value.kind = JsonKind::Array;
        break;
    case dom::element_type::OBJECT:
        value.kind = JsonKind::Object;
        break;
    case dom::element_type::INT64:
        value.kind = JsonKind::Number;
        value.number = static_cast<double>(element.get_int64().value_unsafe());
        break;
    case dom::element_type::UINT64:
        value.kind = JsonKind::Number;
        value.number = static_cast<double>(element.get_uint64().value_unsafe());
        break;
    case dom::element_type::DOUBLE:
        value.kind = JsonKind::Number;
        value.number = element.get_double().value_unsafe();
        break;
    case dom::element_type::STRING:
        value.kind = JsonKind::String;
        value.text = element.get_string().value_unsafe();
        break;
    case dom::element_type::BOOL:
        value.kind = JsonKind::Boolean;
        value.truth = element.get_bool().value_unsafe();
        break;
    case dom::element_type::NULL_VALUE:
        value.kind = JsonKind::Null;
        break;
    }
}

size_t Fingerprint(std::string_view name) {
    if (name.empty())
        return 0;
    return name.size() * 7 + static_cast<unsigned char>(name.front()) * 3 + static_cast<unsigned char>(name.back()) +
           static_cast<unsigned char>(name[name.size() / 2]) * 5;
}

bool IsContainer(dom::element element) {
    return element.type() == dom::element_type::ARRAY || element.type() == dom::element_type::OBJECT;
}

// Copies the parsed document into the tree, breadth by breadth through a work
// list rather than by recursion.
void Convert(dom::element root, JsonValue& out) {
    SetScalar(root, out);
    std::vector<std::pair<dom::element, JsonValue*>> pending;
    std::vector<dom::element> sources; // the element behind each member of the object at hand
    if (IsContainer(root))
        pending.emplace_back(root, &out);
    while (!pending.empty()) {
        auto [element, value] = pending.back();
        pending.pop_back();
        // Each child vector is filled completely before pointers into it are
        // kept, so none of them moves afterwards.
        if (element.type() == dom::element_type::ARRAY) {
            dom::array array = element.get_array().value_unsafe();
            value->elements.reserve(array.size());
            for (dom::element child : array)
                SetScalar(child, value->elements.emplace_back());
            size_t i = 0;
            for (dom::element child : array) {
                if (IsContainer(child))
                    pending.emplace_back(child, &value->elements[i]);
                ++i;
            }
            continue;
        }
        dom::object object = element.get_object().value_unsafe();
        value->members.reserve(object.size());
        sources.clear();
        // Names are checked for repeats as they come. In small objects a cheap
        // fingerprint rules out most of them before any scan; large ones ask the
        // object's hash index.
        bool small = object.size() <= JsonValue::kScannedObjectSize;
        std::uint64_t fingerprints = 0;
        for (dom::key_value_pair field : object) {
            size_t existing = JsonValue::kNoMember;
            if (small) {
                std::uint64_t bit = std::uint64_t{1} << (Fingerprint(field.key) & 63);
                if (fingerprints & bit)
                    existing = value->FindMemberPosition(field.key);
                fingerprints |= bit;
            } else {
                existing = value->FindMemberPosition(field.key);
            }
            if (existing != JsonValue::kNoMember) {
                // A repeated name: the later value wins at the earlier place.
                sources[existing] = field.value;
                continue;
            }
            value->AppendNewMember(field.key);
            sources.push_back(field.value);
        }
        for (size_t i = 0; i < sources.size(); ++i) {
            SetScalar(sources[i], value->members[i].value);
            if (IsContainer(sources[i]))
                pending.emplace_back(sources[i], &value->members[i].value);
        }
    }
}

// Appends ".0" to every integer of 19 or more digits outside strings, so that
// the parser reads it as a double instead of refusing it as out of range for
// its 64-bit integers. False when there is none.
bool WidenLongIntegers(std::string& text) {
    std::string widened;
    bool inString = false;
    size_t copied = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        if (c == '"') {
            inString = true;
            continue;
        }
        if (c < '0' || c > '9')
            continue;
        size_t first = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        // Digits after a point or in an exponent are not an integer of their own.
        char before = first > 0 ? text[first - 1] : ' ';
        if (before == '-' && first > 1)
            before = text[first - 2] == 'e' || text[first - 2] == 'E' ? 'e' : '-';
        bool plainInteger = before != '.' && before != 'e' && before != 'E' && before != '+' &&
                            (i == text.size() || (text[i] != '.' && text[i] != 'e' && text[i] != 'E'));
        if (plainInteger && i - first >= 19) {
            widened.append(text, copied, i - copied);
            widened.append(".0");
            copied = i;
        }
        --i;
    }
    if (copied == 0)
        return false;
    widened.append(text, copied, std::string::npos);
    text = std::move(widened);
    return true;
}

simdjson::simdjson_result<dom::element> ParseWith(dom::parser& parser, std::string& text, size_t length) {
    if (parser.max_depth() != kMaxJsonDepth && parser.allocate(length, kMaxJsonDepth) != simdjson::SUCCESS)
        return simdjson::MEMALLOC;
    return parser.parse(text.data(), length, false);
}

bool ReadWith(dom::parser& parser, std::string& utf8, JsonValue& out) {
    size_t length = utf8.size();
    utf8.append(simdjson::SIMDJSON_PADDING, '\0');
    auto parsed = ParseWith(parser, utf8, length);
    if (parsed.error() != simdjson::SUCCESS) {
        utf8.resize(length);
        if (!WidenLongIntegers(utf8))
            return false;
        length = utf8.size();
        utf8.append(simdjson::SIMDJSON_PADDING, '\0');
        parsed = ParseWith(parser, utf8, length);
        if (parsed.error() != simdjson::SUCCESS)
            return false;
    }
    JsonValue value;
    Convert(parsed.value_unsafe(), value);
    out = std::move(value);
    return true;
}

} // namespace

bool ReadJson(std::string utf8, JsonValue& out) {
    if (utf8.size() > kSharedParserLimit) {
        dom::parser parser;
        return ReadWith(parser, utf8, out);
    }
    thread_local dom::parser shared;
    return ReadWith(shared, utf8, out);
}

} // namespace sw::json
