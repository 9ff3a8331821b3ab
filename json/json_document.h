#pragma once

// One JSON value, normally the object parsed from a service response, queried
// and edited by path expressions such as mods.shoplist.data.shopItems[3].nick.
//
// Paths: member names (letters, digits, "_", "$", not beginning with a digit)
// joined by ".", each followed by any number of "[n]" subscripts; n selects
// element n of an array or the member named n of an object. GetText,
// GetObject and Count also take a path that begins with subscripts, which
// then apply to the root ("[0].nick"); the other operations need a path that
// begins with a name. Count, Push, GetElementObject, GetElement, MemberNames
// and TypeOf take an empty path as the root itself; elsewhere an empty path
// addresses nothing.
//
// A path that cannot be followed (it does not read, or it passes through an
// absent member, null or a value without anything) makes the operation give
// its empty result (empty text, 0, false) and change nothing. Nothing throws.
//
// Texts in and out are GBK; characters GBK lacks come out as "?".
//
// Copies share the value: a change made through one copy is seen through all
// of them. Parse and Init give the document a value of its own instead.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sw {

namespace json {
class JsonValue;
}

// Kind codes of TypeOf and Reset.
inline constexpr int kJsonKindNull = 0; // null, absent, or a member without value
inline constexpr int kJsonKindBoolean = 1;
inline constexpr int kJsonKindNumber = 2;
inline constexpr int kJsonKindObject = 4;
inline constexpr int kJsonKindArray = 5;
inline constexpr int kJsonKindString = 6;
inline constexpr int kJsonKindOther = -1; // the path cannot be followed

class JsonDocument {
public:
    // An empty object.
    JsonDocument();
    // Shares the value of other.
    JsonDocument(const JsonDocument& other);
    JsonDocument& operator=(const JsonDocument& other);
    ~JsonDocument();

    // Gives the document a new value of its own: an empty object.
    void Init();

    // Reads text as JSON and gives the document that value as a new value of its
    // own; copies keep the old one. True when the value is neither null nor
    // empty. A malformed text, or one nesting deeper than 5000 levels, leaves
    // null and gives false; an empty text (or only white space) leaves nothing
    // at all (ToJson gives empty text). Of members with the same name the first keeps its place and
    // takes the last one's value.
    bool Parse(std::string_view text);

    // Compact JSON text of the value; empty text when there is none.
    std::string ToJson() const;

    // Sets the member at path to value as a string, or with raw to the JSON
    // value the text reads as (an empty text giving an empty object). Creates
    // the last member of the path; a subscript past the end of an array extends
    // it, with elements without value between. Does nothing under a string,
    // number or boolean, or when raw text does not read.
    void SetMember(std::string_view path, std::string_view value, bool raw = false);

    // Sets the member at path to the JSON value of json; an empty text leaves the
    // member present without value (absent for Has, left out of JSON text).
    void SetMemberJson(std::string_view path, std::string_view json);

    // Sets the member at path to number, rounded to 13 significant digits.
    // A non-finite number changes nothing.
    void SetNumber(std::string_view path, double number);

    // The number at path; a string holding a number gives that number, a
    // boolean 1 or 0, anything else 0.
    double GetNumber(std::string_view path) const;

    // JSON text of the member at path; empty text when absent.
    std::string GetMemberJson(std::string_view path) const;

    // The value at path as text: a string as itself, a number in "%.13g" form
    // with a three-digit exponent (1e+014, 4.8), a boolean as true or false;
    // an object, an array, null and an absent member give empty text. With
    // asJson, the JSON text of the value instead.
    std::string GetText(std::string_view path, bool asJson = false) const;

    // A new document holding a deep copy of the value at path, as written to
    // JSON and read back; an absent value gives a document holding null.
    JsonDocument GetObject(std::string_view path) const;

    // The number of elements of the array, or of members of the object, at path
    // (the root for an empty path); 0 for anything else and for absent paths.
    int Count(std::string_view path = {}) const;

    // Appends value (a string, or with raw the JSON value of the text) to the
    // array at path, the root for an empty path. Whatever else is there, an
    // absent member included, is replaced by an empty array first.
    void Push(std::string_view value, std::string_view path = {}, bool raw = false);

    // GetObject of element index of the array at path (the root for an empty path).
    JsonDocument GetElementObject(int index, std::string_view path = {}) const;

    // Element index of the array at path (the root for an empty path): as plain
    // text the way GetText gives it, or with asJson as JSON text.
    std::string GetElement(int index, std::string_view path = {}, bool asJson = false) const;

    // Sets element index of the root array (or the member named index of a root
    // object) to value, a string or with raw the JSON value of the text.
    void SetElement(int index, std::string_view value, bool raw = false);

    // Removes element index of the root array; the later ones move down. A
    // negative index counts from the end (-1: the last element; further back
    // than the first: the first). At or past the end: nothing happens.
    void RemoveElement(int index);

    // For a path like list[3] or a.b[3]: removes element 3 of the array at the
    // part before the first "[". Only the first subscript counts (a[1].b[2]
    // removes element 1 of a); without one nothing changes. The part before is
    // written back as JSON read again, also when it is not an array.
    void RemoveAt(std::string_view path);

    // The value becomes an empty object (kJsonKindNull, kJsonKindObject) or an
    // empty array (kJsonKindArray); other codes change nothing.
    void Reset(int kindCode);

    // The value becomes value as a string, or with raw the JSON value of the
    // text (an empty or malformed text changes nothing).
    void SetRoot(std::string_view value, bool raw = false);

    // True when the member at path exists and is not null.
    bool Has(std::string_view path) const;

    // Replaces the contents of names with the member names of the object at
    // path (the root for an empty path), in order, or with the indexes "0",
    // "1", ... of an array; returns their number. Anything else gives 0.
    int MemberNames(std::vector<std::string>& names, std::string_view path = {}) const;

    // Kind code of the value at path (the root for an empty path): null and
    // absent give kJsonKindNull; a path that cannot be followed, because a
    // member before the last is absent, gives kJsonKindOther.
    int TypeOf(std::string_view path = {}) const;

    // The value becomes an empty object.
    void Clear();

private:
    std::shared_ptr<json::JsonValue> root_;
};

} // namespace sw
