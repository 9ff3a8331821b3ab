// Feeds arbitrary bytes to the document as JSON text and as path expressions.
// Besides crashes it stops on: the ASCII-run conversions disagreeing with the
// plain converters, and JSON text that does not read back to the same text.

#include "text/code_page.h"
#include "json/json_document.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

void CheckRoundTrip(const sw::JsonDocument& document) {
    std::string json = document.ToJson();
    if (json.empty())
        return;
    sw::JsonDocument again;
    again.Parse(json);
    if (again.ToJson() != json)
        __builtin_trap();
}

void UseAsPath(std::string_view path) {
    sw::JsonDocument document;
    if (!document.Parse(R"({"a":{"b":[1,{"c":"x"},[2,3]],"d":null},"list":[4,5,6],"s":"t"})"))
        __builtin_trap();
    document.GetText(path);
    document.GetText(path, true);
    document.TypeOf(path);
    document.Has(path);
    document.Count(path);
    document.GetNumber(path);
    document.GetObject(path).ToJson();
    document.SetMember(path, "v");
    document.SetNumber(path, 1.5);
    document.Push("w", path);
    document.RemoveAt(path);
    CheckRoundTrip(document);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // What the UTF-8 decoder writes is valid GBK, so it comes back unchanged.
    std::string gbk = sw::Utf8ToGbk(text);
    if (sw::Utf8ToGbk(sw::GbkToUtf8(gbk)) != gbk)
        __builtin_trap();

    sw::JsonDocument document;
    document.Parse(text);
    CheckRoundTrip(document);
    std::vector<std::string> names;
    document.MemberNames(names);
    for (const std::string& name : names) {
        document.GetText(name);
        document.TypeOf(name);
    }
    sw::JsonDocument copy = document.GetElementObject(0);
    CheckRoundTrip(copy);
    document.SetMemberJson("added", text);
    document.Push(text, "list", true);
    CheckRoundTrip(document);

    if (size < 256)
        UseAsPath(text);
    return 0;
}
