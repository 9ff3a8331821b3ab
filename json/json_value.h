#pragma once

// The value tree behind JsonDocument. Strings and member names are UTF-8.
// Nothing here recurses over the tree: parsed texts may nest thousands of
// levels and edits can nest them deeper still, so destruction and copying
// walk explicit stacks.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sw::json {

enum class JsonKind : std::uint8_t {
    Undefined, // a member present without a value; also a root that holds nothing
    Null,
    Boolean,
    Number,
    String,
    Array,
    Object,
};

struct JsonMember;
class MemberIndex;

class JsonValue {
public:
    JsonValue();
    explicit JsonValue(JsonKind valueKind);
    ~JsonValue();
    JsonValue(JsonValue&& other) noexcept;
    JsonValue& operator=(JsonValue&& other) noexcept;
    JsonValue(const JsonValue&) = delete;
    JsonValue& operator=(const JsonValue&) = delete;

    static JsonValue FromNumber(double value);
    static JsonValue FromText(std::string utf8);

    JsonKind kind = JsonKind::Undefined;
    bool truth = false;
    double number = 0;
    std::string text;                // String
    std::vector<JsonValue> elements; // Array
    // Object members in insertion order. Add them only through AddMember or
    // AppendNewMember (the lookup index follows appends); members are never
    // removed one by one, only the whole object is replaced.
    std::vector<JsonMember> members;

    static constexpr size_t kNoMember = static_cast<size_t>(-1);
    // Objects up to this size are searched by a scan, larger ones through a hash index.
    static constexpr size_t kScannedObjectSize = 32;

    // The member's position in members, or kNoMember. Constant time for large objects.
    size_t FindMemberPosition(std::string_view name) const;
    // The member's value, or nullptr.
    JsonValue* FindMember(std::string_view name);
    const JsonValue* FindMember(std::string_view name) const;
    // The existing member's value, or a new member without value appended last.
    JsonValue& AddMember(std::string_view name);
    // Appends without looking for a member of the same name first.
    JsonValue& AppendNewMember(std::string_view name);

private:
    mutable std::unique_ptr<MemberIndex> index_;
};

struct JsonMember {
    std::string name;
    JsonValue value;
};

// The copy that writing the value as JSON text and reading it back would give:
// members without value are left out, array elements without value and
// non-finite numbers become null, and a value without anything becomes null.
JsonValue CloneAsJson(const JsonValue& value);

} // namespace sw::json
