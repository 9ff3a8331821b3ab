#include "json/json_document.h"

#include "text/code_page.h"
#include "text/number_text.h"
#include "text/text_cut.h"
#include "json/json_path.h"
#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <utility>

namespace sw {

namespace {

using json::JsonKind;
using json::JsonValue;
using json::PathJoining;
using json::PathStep;

// An assignment far past the end of an array would fill the gap with elements
// without value; beyond this gap it is refused instead of eating memory.
constexpr std::int64_t kMaxArrayGap = 1 << 16;

enum class EmptyPath {
    Root,         // an empty path addresses the root itself
    CannotFollow, // an empty path addresses nothing
};

// A GBK path read into steps, with the text their names point into.
class Path {
public:
    // False when the path cannot be followed.
    bool Read(std::string_view path, PathJoining joining, EmptyPath emptyPath) {
        if (path.empty())
            return emptyPath == EmptyPath::Root;
        // ASCII reads the same in both code pages, and most paths are ASCII.
        bool ascii = std::all_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        if (!ascii) {
            utf8_ = GbkToUtf8(path);
            path = utf8_;
        }
        return json::ParsePath(path, joining, steps_);
    }

    void AddSubscript(std::int64_t index) { steps_.push_back(json::SubscriptStep(index, subscript_)); }

    bool IsRoot() const { return steps_.empty(); }
    operator const std::vector<PathStep>&() const { return steps_; }

private:
    std::string utf8_;
    std::string subscript_;
    std::vector<PathStep> steps_;
};

// As in JavaScript, reading a member of these fails, and so does the whole operation.
bool Blocks(const JsonValue* value) {
    return value == nullptr || value->kind == JsonKind::Undefined || value->kind == JsonKind::Null;
}

const JsonValue* Child(const JsonValue& parent, const PathStep& step) {
    if (parent.kind == JsonKind::Object)
        return parent.FindMember(step.name);
    if (parent.kind == JsonKind::Array && step.subscript && step.index >= 0 &&
        static_cast<std::uint64_t>(step.index) < parent.elements.size())
        return &parent.elements[static_cast<size_t>(step.index)];
    return nullptr; // strings, numbers and booleans have no members of their own here
}

struct Lookup {
    bool followed = false;            // false: the path cannot be followed
    const JsonValue* value = nullptr; // nullptr: absent
};

Lookup Follow(const JsonValue& root, const std::vector<PathStep>& steps) {
    const JsonValue* current = &root;
    for (const PathStep& step : steps) {
        if (Blocks(current))
            return {};
        current = Child(*current, step);
    }
    return {true, current};
}

// The place an assignment to step of parent writes to, made if needed; nullptr
// when the assignment changes nothing.
JsonValue* MakeChild(JsonValue& parent, const PathStep& step) {
    if (parent.kind == JsonKind::Object)
        return &parent.AddMember(step.name);
    if (parent.kind != JsonKind::Array || !step.subscript || step.index < 0)
        return nullptr;
    auto size = static_cast<std::int64_t>(parent.elements.size());
    if (step.index >= size) {
        if (step.index - size > kMaxArrayGap)
            return nullptr;
        parent.elements.resize(static_cast<size_t>(step.index) + 1);
    }
    return &parent.elements[static_cast<size_t>(step.index)];
}

// The place an assignment to the path (at least one step) writes to.
JsonValue* Slot(JsonValue& root, const std::vector<PathStep>& steps) {
    JsonValue* parent = &root;
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
        if (Blocks(parent))
            return nullptr;
        parent = const_cast<JsonValue*>(Child(*parent, steps[i]));
    }
    if (Blocks(parent))
        return nullptr;
    return MakeChild(*parent, steps.back());
}

enum class ScriptValue {
    Value,
    Nothing, // empty text, which JavaScript evaluates to a missing value
    Malformed,
};

ScriptValue ReadValue(std::string_view text, JsonValue& out) {
    if (text.find_first_not_of(" \t\n\r\v\f") == std::string_view::npos)
        return ScriptValue::Nothing;
    return json::ReadJson(GbkToUtf8(text), out) ? ScriptValue::Value : ScriptValue::Malformed;
}

std::string JsonText(const JsonValue& value) {
    std::string utf8;
    json::WriteJson(value, utf8);
    return Utf8ToGbk(utf8);
}

std::string PlainText(const JsonValue& value) {
    switch (value.kind) {
    case JsonKind::String:
        return Utf8ToGbk(value.text);
    case JsonKind::Number:
        return NumberToText(value.number);
    case JsonKind::Boolean:
        return value.truth ? "true" : "false";
    default:
        return {};
    }
}

// A string read as a number the way JavaScript converts one: the whole text,
// white space around it allowed; anything else gives 0.
double StringToNumber(std::string_view text) {
    size_t first = text.find_first_not_of(" \t\n\r\v\f");
    if (first == std::string_view::npos)
        return 0;
    size_t last = text.find_last_not_of(" \t\n\r\v\f");
    std::string_view number = text.substr(first, last - first + 1);
    bool negative = false;
    if (number[0] == '+' || number[0] == '-') {
        negative = number[0] == '-';
        number.remove_prefix(1);
    }
    if (number.empty() || number[0] == '+' || number[0] == '-')
        return 0;
    double value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (end != number.data() + number.size() || (error != std::errc() && error != std::errc::result_out_of_range))
        return 0;
    return negative ? -value : value;
}

int CountOf(const JsonValue* value) {
    size_t count = 0;
    if (value != nullptr && value->kind == JsonKind::Array)
        count = value->elements.size();
    else if (value != nullptr && value->kind == JsonKind::Object)
        count = value->members.size();
    return count > INT_MAX ? INT_MAX : static_cast<int>(count);
}

} // namespace

JsonDocument::JsonDocument() {
    Init();
}

JsonDocument::JsonDocument(const JsonDocument& other) = default;

JsonDocument& JsonDocument::operator=(const JsonDocument& other) = default;

JsonDocument::~JsonDocument() = default;

void JsonDocument::Init() {
    root_ = std::make_shared<JsonValue>(JsonKind::Object);
}

bool JsonDocument::Parse(std::string_view text) {
    auto fresh = std::make_shared<JsonValue>();
    if (ReadValue(text, *fresh) == ScriptValue::Malformed)
        fresh->kind = JsonKind::Null;
    root_ = std::move(fresh);
    return !Blocks(root_.get());
}

std::string JsonDocument::ToJson() const {
    return JsonText(*root_);
}

namespace {

void Assign(JsonValue& root, std::string_view path, JsonValue value) {
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::CannotFollow))
        return;
    if (JsonValue* slot = Slot(root, steps))
        *slot = std::move(value);
}

} // namespace

void JsonDocument::SetMember(std::string_view path, std::string_view value, bool raw) {
    JsonValue v;
    if (!raw)
        v = JsonValue::FromText(GbkToUtf8(value));
    else if (value.empty())
        v = JsonValue(JsonKind::Object);
    else if (ReadValue(value, v) == ScriptValue::Malformed)
        return;
    Assign(*root_, path, std::move(v));
}

void JsonDocument::SetMemberJson(std::string_view path, std::string_view json) {
    JsonValue v;
    if (ReadValue(json, v) == ScriptValue::Malformed)
        return;
    Assign(*root_, path, std::move(v));
}

void JsonDocument::SetNumber(std::string_view path, double number) {
    // The number travels as its "%.13g" text, which is where the rounding comes
    // from; the text of a non-finite number is no number at all.
    if (!std::isfinite(number))
        return;
    Assign(*root_, path, JsonValue::FromNumber(TextToNumber(NumberToText(number))));
}

double JsonDocument::GetNumber(std::string_view path) const {
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::CannotFollow))
        return 0;
    const JsonValue* value = Follow(*root_, steps).value;
    if (value == nullptr)
        return 0;
    switch (value->kind) {
    case JsonKind::Number:
        return value->number;
    case JsonKind::String:
        return StringToNumber(value->text);
    case JsonKind::Boolean:
        return value->truth ? 1 : 0;
    default:
        return 0;
    }
}

std::string JsonDocument::GetMemberJson(std::string_view path) const {
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::CannotFollow))
        return {};
    const JsonValue* value = Follow(*root_, steps).value;
    return value == nullptr ? std::string() : JsonText(*value);
}

std::string JsonDocument::GetText(std::string_view path, bool asJson) const {
    Path steps;
    if (!steps.Read(path, PathJoining::BracketAware, EmptyPath::CannotFollow))
        return {};
    const JsonValue* value = Follow(*root_, steps).value;
    if (value == nullptr)
        return {};
    return asJson ? JsonText(*value) : PlainText(*value);
}

JsonDocument JsonDocument::GetObject(std::string_view path) const {
    Path steps;
    JsonDocument copy;
    const JsonValue* value = nullptr;
    if (steps.Read(path, PathJoining::BracketAware, EmptyPath::CannotFollow))
        value = Follow(*root_, steps).value;
    copy.root_ = std::make_shared<JsonValue>(value ? json::CloneAsJson(*value) : JsonValue(JsonKind::Null));
    return copy;
}

int JsonDocument::Count(std::string_view path) const {
    Path steps;
    if (!steps.Read(path, PathJoining::BracketAware, EmptyPath::Root))
        return 0;
    return CountOf(Follow(*root_, steps).value);
}

void JsonDocument::Push(std::string_view value, std::string_view path, bool raw) {
    JsonValue v;
    bool append = true;
    if (!raw) {
        v = JsonValue::FromText(GbkToUtf8(value));
    } else {
        ScriptValue read = ReadValue(value, v);
        if (read == ScriptValue::Malformed)
            return;
        append = read == ScriptValue::Value; // push() without an argument appends nothing
    }
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::Root))
        return;
    JsonValue* target = steps.IsRoot() ? root_.get() : Slot(*root_, steps);
    if (target == nullptr)
        return;
    if (target->kind != JsonKind::Array)
        *target = JsonValue(JsonKind::Array);
    if (append)
        target->elements.push_back(std::move(v));
}

JsonDocument JsonDocument::GetElementObject(int index, std::string_view path) const {
    Path steps;
    JsonDocument copy;
    const JsonValue* value = nullptr;
    if (steps.Read(path, PathJoining::Dot, EmptyPath::Root)) {
        steps.AddSubscript(index);
        value = Follow(*root_, steps).value;
    }
    copy.root_ = std::make_shared<JsonValue>(value ? json::CloneAsJson(*value) : JsonValue(JsonKind::Null));
    return copy;
}

std::string JsonDocument::GetElement(int index, std::string_view path, bool asJson) const {
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::Root))
        return {};
    steps.AddSubscript(index);
    const JsonValue* value = Follow(*root_, steps).value;
    if (value == nullptr)
        return {};
    return asJson ? JsonText(*value) : PlainText(*value);
}

void JsonDocument::SetElement(int index, std::string_view value, bool raw) {
    JsonValue v;
    if (!raw)
        v = JsonValue::FromText(GbkToUtf8(value));
    else if (ReadValue(value, v) != ScriptValue::Value)
        return; // "da[0]=" with nothing after it does not read
    if (Blocks(root_.get()))
        return;
    std::string name;
    if (JsonValue* slot = MakeChild(*root_, json::SubscriptStep(index, name)))
        *slot = std::move(v);
}

void JsonDocument::RemoveElement(int index) {
    std::vector<JsonValue>& elements = root_->elements;
    if (root_->kind != JsonKind::Array)
        return;
    auto size = static_cast<std::int64_t>(elements.size());
    std::int64_t start = index < 0 ? std::max<std::int64_t>(size + index, 0) : index;
    if (start >= size)
        return;
    elements.erase(elements.begin() + static_cast<std::ptrdiff_t>(start));
}

void JsonDocument::RemoveAt(std::string_view path) {
    std::string before = TextBefore(path, "[");
    std::string inside = TextBetween(path, "[", "]");
    // A lead byte is never "[", so a path beginning with that byte begins with the marker.
    bool hasOpen = !before.empty() || (!path.empty() && path[0] == '[');
    bool hasClose = !inside.empty() || path.substr(std::min(path.size(), before.size() + 1)).starts_with(']');
    if (!hasOpen || !hasClose) {
        before.clear();
        inside.clear();
    }
    // The array goes out as JSON text, loses the element and is written back
    // whole; a value that is no array makes the round trip unchanged.
    JsonDocument scratch;
    scratch.Parse(GetText(before, true));
    scratch.RemoveElement(TextToInt(inside));
    SetMemberJson(before, scratch.ToJson());
}

void JsonDocument::Reset(int kindCode) {
    if (kindCode == kJsonKindNull || kindCode == kJsonKindObject)
        *root_ = JsonValue(JsonKind::Object);
    else if (kindCode == kJsonKindArray)
        *root_ = JsonValue(JsonKind::Array);
}

void JsonDocument::SetRoot(std::string_view value, bool raw) {
    JsonValue v;
    if (!raw)
        v = JsonValue::FromText(GbkToUtf8(value));
    else if (ReadValue(value, v) != ScriptValue::Value)
        return;
    *root_ = std::move(v);
}

bool JsonDocument::Has(std::string_view path) const {
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::CannotFollow))
        return false;
    return !Blocks(Follow(*root_, steps).value);
}

int JsonDocument::MemberNames(std::vector<std::string>& names, std::string_view path) const {
    names.clear();
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::Root))
        return 0;
    const JsonValue* value = Follow(*root_, steps).value;
    if (value != nullptr && value->kind == JsonKind::Object) {
        for (const json::JsonMember& member : value->members)
            names.push_back(Utf8ToGbk(member.name));
    } else if (value != nullptr && value->kind == JsonKind::Array) {
        for (size_t i = 0; i < value->elements.size(); ++i)
            names.push_back(std::to_string(i));
    }
    return static_cast<int>(std::min<size_t>(names.size(), INT_MAX));
}

int JsonDocument::TypeOf(std::string_view path) const {
    Path steps;
    if (!steps.Read(path, PathJoining::Dot, EmptyPath::Root))
        return kJsonKindOther;
    Lookup lookup = Follow(*root_, steps);
    if (!lookup.followed)
        return kJsonKindOther;
    if (Blocks(lookup.value))
        return kJsonKindNull;
    switch (lookup.value->kind) {
    case JsonKind::Boolean:
        return kJsonKindBoolean;
    case JsonKind::Number:
        return kJsonKindNumber;
    case JsonKind::String:
        return kJsonKindString;
    case JsonKind::Array:
        return kJsonKindArray;
    case JsonKind::Object:
        return kJsonKindObject;
    default:
        return kJsonKindOther;
    }
}

void JsonDocument::Clear() {
    *root_ = JsonValue(JsonKind::Object);
}

} // namespace sw
