#include "json/json_document.h"

#include "tests/json/shop_page.h"
#include "tests/support/gbk_assert.h"
#include "text/code_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace sw {
namespace {

using test::G;

JsonDocument Parsed(std::string_view text) {
    JsonDocument document;
    document.Parse(text);
    return document;
}

std::string Nested(int depth, std::string_view inner = "1") {
    return std::string(static_cast<size_t>(depth), '[') + std::string(inner) +
           std::string(static_cast<size_t>(depth), ']');
}

TEST(JsonDocumentTest, FreshDocumentIsAnEmptyObject) {
    JsonDocument document;
    EXPECT_EQ("{}", document.ToJson());
    EXPECT_EQ(kJsonKindObject, document.TypeOf());
}

TEST(JsonDocumentTest, ParseResultAndValue) {
    struct Case {
        std::string text;
        bool parsed;
        std::string json; // ToJson afterwards
    };
    const Case cases[] = {
        {"", false, ""},
        {" \r\n\t", false, ""},
        {"null", false, "null"},
        {"{", false, "null"},
        {"{\"a\":1,}", false, "null"},
        {"{'a':1}", false, "null"},
        {"[1,2", false, "null"},
        {"\"\\ud800\"", false, "null"}, // a lone surrogate escape
        {"\"\\udc00 x\"", false, "null"},
        {"1e400", false, "null"},
        {"5", true, "5"},
        {"true", true, "true"},
        {" {\"a\" : [1, 2.50, \"x\"]} ", true, "{\"a\":[1,2.5,\"x\"]}"},
        // Repeated names: the first place, the last value, as an object literal has it.
        {"{\"a\":1,\"b\":2,\"a\":3}", true, "{\"a\":3,\"b\":2}"},
        // Integers beyond 64 bits read as the nearest double.
        {"[123456789012345678901234567890,-98765432109876543210,0.12345678901234567890123]", true,
         "[1.2345678901234568e+29,-98765432109876540000,0.12345678901234568]"},
        {"\"\\ud83d\\ude00\"", true, Utf8ToGbk("\"\xF0\x9F\x98\x80\"")}, // no GBK character for it
        {Nested(4000), true, Nested(4000)},
        {Nested(100000), false, "null"},
    };
    for (const Case& c : cases) {
        JsonDocument document;
        EXPECT_EQ(c.parsed, document.Parse(c.text)) << c.text.substr(0, 60);
        EXPECT_EQ(c.json, document.ToJson()) << c.text.substr(0, 60);
    }
}

TEST(JsonDocumentTest, FailedParseAnswersNothing) {
    for (std::string_view text : {"", "null", "{\"a\":", "[1,2"}) {
        JsonDocument document;
        document.SetMember("a", "kept before");
        ASSERT_FALSE(document.Parse(text));
        for (std::string_view path : {"a", "a.b", "[0]", "", "mods.shoplist.data.shopItems[0].nick"}) {
            EXPECT_EQ("", document.GetText(path)) << text << " " << path;
            EXPECT_EQ("", document.GetText(path, true)) << text << " " << path;
            EXPECT_LT(document.Count(path), 1) << text << " " << path;
        }
    }
}

TEST(JsonDocumentTest, TypeOfKindCodes) {
    JsonDocument document = Parsed(R"({"a":{"n":null,"s":"x","num":1.5,"t":false,"o":{},"l":[]},"list":[{"k":1}]})");
    const std::pair<std::string, int> cases[] = {
        {"", kJsonKindObject},
        {"a", kJsonKindObject},
        {"a.s", kJsonKindString},
        {"a.num", kJsonKindNumber},
        {"a.t", kJsonKindBoolean},
        {"a.o", kJsonKindObject},
        {"a.l", kJsonKindArray},
        {"a.n", kJsonKindNull},
        {"a.missing", kJsonKindNull},         // the parent exists
        {"a.missing.deeper", kJsonKindOther}, // reading under an absent member fails
        {"b.c", kJsonKindOther},
        {"a.n.x", kJsonKindOther},
        {"a.s.x", kJsonKindNull},
        {"list[0].k", kJsonKindNumber},
        {"list[1]", kJsonKindNull},
        {"list[1].k", kJsonKindOther},
        {"[0]", kJsonKindOther}, // dot joining cannot start with a subscript
        {"a.", kJsonKindOther},
        {"a..s", kJsonKindOther},
        {"1a", kJsonKindOther},
        {"a[x]", kJsonKindOther},
    };
    for (const auto& [path, kind] : cases)
        EXPECT_EQ(kind, document.TypeOf(path)) << path;
    EXPECT_EQ(kJsonKindArray, Parsed("[1,2]").TypeOf());
    EXPECT_EQ(kJsonKindNull, Parsed("").TypeOf());
}

TEST(JsonDocumentTest, GetTextOfNumbersUsesThirteenDigits) {
    const std::pair<std::string, std::string> cases[] = {
        {"120", "120"},
        {"4.8", "4.8"},
        {"1e14", "1e+014"},
        {"100000000000000", "1e+014"},
        {"1234567890123", "1234567890123"}, // thirteen digits stay plain
        {"12345678901234", "1.234567890123e+013"},
        {"1.5e13", "1.5e+013"},
        {"0.00001", "1e-005"},
        {"0.0001", "0.0001"},
        {"-0.5", "-0.5"},
        {"0.1", "0.1"},
    };
    for (const auto& [number, text] : cases)
        EXPECT_EQ(text, Parsed("{\"n\":" + number + "}").GetText("n")) << number;
}

TEST(JsonDocumentTest, ToJsonWritesNumbersAsScriptsDo) {
    const std::pair<std::string, std::string> cases[] = {
        {"100", "100"},
        {"1.5", "1.5"},
        {"-1234.5678", "-1234.5678"},
        {"-0", "0"},
        {"-0.0", "0"},
        {"0.1", "0.1"},
        {"1e20", "100000000000000000000"},
        {"1e21", "1e+21"},
        {"1.5e300", "1.5e+300"},
        {"0.000001", "0.000001"},
        {"1e-7", "1e-7"},
        {"123e-20", "1.23e-18"},
        {"5e-324", "5e-324"},
        {"1.7976931348623157e308", "1.7976931348623157e+308"},
        {"0.30000000000000004", "0.30000000000000004"},
    };
    for (const auto& [number, json] : cases)
        EXPECT_EQ("[" + json + "]", Parsed("[" + number + "]").ToJson()) << number;
}

TEST(JsonDocumentTest, ToJsonEscapes) {
    // As stored from GBK text.
    JsonDocument document;
    document.SetMember("s", G("a\"b\\c/d\b\f\n\r\t\x01\x1f\x7f 中文"));
    EXPECT_GBK_EQ(G(R"({"s":"a\"b\\c/d\b\f\n\r\t\u0001\u001f\u007f 中文"})"), document.ToJson());
    EXPECT_GBK_EQ(G("a\"b\\c/d\b\f\n\r\t\x01\x1f\x7f 中文"), document.GetText("s"));

    // Characters GBK lacks, read from escapes.
    const std::pair<std::string, std::string> cases[] = {
        {"\\u0080", "\\u0080"}, {"\\u009f", "\\u009f"}, {"\\u00ad", "\\u00ad"}, {"\\u0600", "\\u0600"},
        {"\\u0604", "\\u0604"}, {"\\u0605", "?"},       {"\\u070f", "\\u070f"}, {"\\u17b4", "\\u17b4"},
        {"\\u17b5", "\\u17b5"}, {"\\u200b", "?"},       {"\\u200c", "\\u200c"}, {"\\u200F", "\\u200f"},
        {"\\u2028", "\\u2028"}, {"\\u202f", "\\u202f"}, {"\\u2060", "\\u2060"}, {"\\u206f", "\\u206f"},
        {"\\ufeff", "\\ufeff"}, {"\\ufff0", "\\ufff0"}, {"\\uffff", "\\uffff"}, {"\\u0000", "\\u0000"},
        {"\\/", "/"},           {"\\u4e2d", G("中")},   {"\\u00e9", G("é")},
    };
    for (const auto& [escape, written] : cases)
        EXPECT_GBK_EQ("[\"" + written + "\"]", Parsed("[\"" + escape + "\"]").ToJson()) << escape;
}

TEST(JsonDocumentTest, MembersWithoutValue) {
    JsonDocument document = Parsed(R"({"a":1,"list":[1]})");
    document.SetMemberJson("u", "");
    document.SetMemberJson("list[2]", "3");
    EXPECT_EQ(R"({"a":1,"list":[1,null,3]})", document.ToJson());
    EXPECT_FALSE(document.Has("u"));
    EXPECT_EQ(kJsonKindNull, document.TypeOf("u"));
    EXPECT_EQ("", document.GetMemberJson("u"));
    EXPECT_EQ("", document.GetText("list[1]"));
    document.SetMemberJson("o", R"({"x":1})");
    document.SetMemberJson("o.u", "");
    EXPECT_EQ(R"({"x":1})", document.GetObject("o").ToJson());
    EXPECT_EQ(R"([1,null,3])", document.GetObject("list").ToJson());

    JsonDocument empty = Parsed("");
    EXPECT_EQ("", empty.ToJson());
    empty.SetMember("a", "x"); // a member of nothing cannot be set
    EXPECT_EQ("", empty.ToJson());
}

TEST(JsonDocumentTest, HasOnlyForPresentNonNullMembers) {
    JsonDocument document = Parsed(R"({"n":null,"z":0,"e":"","o":{"p":false}})");
    const std::pair<std::string, bool> cases[] = {
        {"n", false},   {"z", true},          {"e", true}, {"o.p", true},  {"missing", false},
        {"n.x", false}, {"missing.x", false}, {"", false}, {"[0]", false},
    };
    for (const auto& [path, has] : cases)
        EXPECT_EQ(has, document.Has(path)) << path;
}

TEST(JsonDocumentTest, CountOfArraysAndObjects) {
    JsonDocument document = Parsed(R"({"list":[1,2,3],"o":{"a":1,"b":2},"s":"abc","e":[]})");
    const std::pair<std::string, int> cases[] = {
        {"list", 3}, {"o", 2}, {"e", 0}, {"", 4}, {"s", 0}, {"missing", 0}, {"missing.list", 0}, {"list[7]", 0},
    };
    for (const auto& [path, count] : cases)
        EXPECT_EQ(count, document.Count(path)) << path;
    JsonDocument array = Parsed(R"([{"k":[1,2]},[5,6,7]])");
    EXPECT_EQ(2, array.Count());
    EXPECT_EQ(2, array.Count("[0].k"));
    EXPECT_EQ(3, array.Count("[1]"));
}

TEST(JsonDocumentTest, GetTextPaths) {
    JsonDocument document =
        Parsed(G(R"({"a":{"b":[10,{"c":"deep"}],"t":true,"n":null,"o":{"x":1}},"中文":"值","0":"zero","$_x1":"id"})"));
    const std::pair<std::string, std::string> cases[] = {
        {"a.b[0]", "10"},     {"a.b[1].c", "deep"}, {"a.b[01].c", "deep"},
        {"a.b[2]", ""},       {"a.b[2].c", ""},     {"a.t", "true"},
        {"a.n", ""},          {"a.o", ""},          {"[0]", "zero"}, // on an object a subscript names a member
        {G("中文"), G("值")}, {"$_x1", "id"},       {"", ""},
        {"a b", ""},          {"a.b[-1]", ""},
    };
    for (const auto& [path, text] : cases)
        EXPECT_GBK_EQ(text, document.GetText(path)) << path;
    EXPECT_EQ(R"({"x":1})", document.GetText("a.o", true));
    EXPECT_EQ(R"([10,{"c":"deep"}])", document.GetMemberJson("a.b"));
    EXPECT_EQ("", document.GetMemberJson(""));
    EXPECT_EQ("", document.GetMemberJson("missing"));
    EXPECT_EQ("null", document.GetMemberJson("a.n"));
    EXPECT_EQ("deep", Parsed(R"([{"c":"deep"}])").GetText("[0].c"));
}

TEST(JsonDocumentTest, SettingMembers) {
    struct Case {
        std::string path;
        std::string value;
        bool raw;
        std::string json; // the document afterwards; it starts as kStart
    };
    const std::string kStart = R"({"a":{"b":1},"s":"t","n":null,"list":[0]})";
    const Case cases[] = {
        {"a.b", "x", false, R"({"a":{"b":"x"},"s":"t","n":null,"list":[0]})"},
        {"a.c", "x", false, R"({"a":{"b":1,"c":"x"},"s":"t","n":null,"list":[0]})"},
        {"z", "{\"q\":[1]}", true, R"({"a":{"b":1},"s":"t","n":null,"list":[0],"z":{"q":[1]}})"},
        {"z", "", true, R"({"a":{"b":1},"s":"t","n":null,"list":[0],"z":{}})"},
        {"a", "null", true, R"({"a":null,"s":"t","n":null,"list":[0]})"},
        {"list[2]", "x", false, R"({"a":{"b":1},"s":"t","n":null,"list":[0,null,"x"]})"},
        {"a[0]", "x", false, R"({"a":{"b":1,"0":"x"},"s":"t","n":null,"list":[0]})"},
        // Nothing changes:
        {"z", "{bad", true, kStart},
        {"missing.z", "x", false, kStart}, // under an absent member
        {"n.z", "x", false, kStart},       // under null
        {"s.z", "x", false, kStart},       // a string takes no members
        {"list.z", "x", false, kStart},
        {"list[99999999]", "x", false, kStart},
        {"[0]", "x", false, kStart},
        {"", "x", false, kStart},
        {"a.", "x", false, kStart},
    };
    for (const Case& c : cases) {
        JsonDocument document = Parsed(kStart);
        document.SetMember(c.path, c.value, c.raw);
        EXPECT_EQ(c.json, document.ToJson()) << c.path << " = " << c.value;
    }

    // Text values are stored exactly.
    JsonDocument document;
    const std::string text = G("它说：\"a\\b\"\r\n'c'");
    document.SetMember("t", text);
    EXPECT_GBK_EQ(text, document.GetText("t"));
}

TEST(JsonDocumentTest, SetNumberRoundsToThirteenDigits) {
    const std::pair<double, std::string> cases[] = {
        {1.0 / 3, "0.3333333333333"},           {4.8, "4.8"},         {1e14, "100000000000000"},
        {123456789012345.0, "123456789012300"}, {-2.5e-7, "-2.5e-7"},
    };
    for (const auto& [number, json] : cases) {
        JsonDocument document;
        document.SetNumber("n", number);
        EXPECT_EQ("{\"n\":" + json + "}", document.ToJson()) << number;
    }
    JsonDocument document;
    document.SetNumber("n", std::numeric_limits<double>::infinity());
    document.SetNumber("m", std::nan(""));
    EXPECT_EQ("{}", document.ToJson());
}

TEST(JsonDocumentTest, GetNumber) {
    JsonDocument document = Parsed(R"({"n":2.5,"s":" 12.5 ","x":"12abc","t":true,"o":{},"z":null,"e":"-1e3"})");
    const std::pair<std::string, double> cases[] = {
        {"n", 2.5}, {"s", 12.5}, {"x", 0}, {"t", 1}, {"o", 0}, {"z", 0}, {"e", -1000}, {"missing", 0}, {"", 0},
    };
    for (const auto& [path, number] : cases)
        EXPECT_EQ(number, document.GetNumber(path)) << path;
}

TEST(JsonDocumentTest, CopiesShareAndParseDoesNot) {
    JsonDocument d = Parsed(R"({"a":1})");
    JsonDocument c = d;
    d.Clear();
    EXPECT_EQ("{}", c.ToJson());
    c.SetMember("b", "x");
    EXPECT_EQ(R"({"b":"x"})", d.ToJson());
    JsonDocument assigned;
    assigned = d;
    d.Reset(kJsonKindArray);
    EXPECT_EQ("[]", assigned.ToJson());

    d.Parse(R"({"new":true})");
    EXPECT_EQ("[]", c.ToJson());
    EXPECT_EQ(R"({"new":true})", d.ToJson());
    c.Init();
    EXPECT_EQ("{}", c.ToJson());
    EXPECT_EQ("[]", assigned.ToJson());
}

TEST(JsonDocumentTest, GetObjectIsAnIndependentCopy) {
    JsonDocument document = Parsed(R"({"a":{"b":[1,{"c":2}]},"list":[{"k":"v"},"s"]})");
    JsonDocument part = document.GetObject("a");
    JsonDocument element = document.GetElementObject(0, "list");
    part.SetMember("b", "changed");
    element.SetMember("k", "changed");
    EXPECT_EQ(R"({"a":{"b":[1,{"c":2}]},"list":[{"k":"v"},"s"]})", document.ToJson());
    document.SetMember("a.x", "later");
    EXPECT_EQ(R"({"b":"changed"})", part.ToJson());
    EXPECT_EQ(R"({"k":"changed"})", element.ToJson());

    const std::pair<JsonDocument, std::string> copies[] = {
        {document.GetObject("missing"), "null"},
        {document.GetObject("missing.x"), "null"},
        {document.GetObject(""), "null"},
        {document.GetObject("a.b[1]"), R"({"c":2})"},
        {document.GetElementObject(1, "list"), R"("s")"},
        {document.GetElementObject(5, "list"), "null"},
        {document.GetElementObject(-1, "list"), "null"},
        {Parsed("[[1],[2]]").GetElementObject(1), "[2]"},
        {Parsed("[[1],[2]]").GetObject("[0]"), "[1]"},
    };
    for (const auto& [copy, json] : copies)
        EXPECT_EQ(json, copy.ToJson());
}

TEST(JsonDocumentTest, PushReplacesWhatIsNoArray) {
    struct Case {
        std::string start;
        std::string value;
        std::string path;
        bool raw;
        std::string json;
    };
    const Case cases[] = {
        {R"({"list":"s"})", "x", "list", false, R"({"list":["x"]})"},
        {R"({"list":[1]})", "x", "list", false, R"({"list":[1,"x"]})"},
        {R"({"list":[1]})", R"({"a":[2]})", "list", true, R"({"list":[1,{"a":[2]}]})"},
        {R"({"list":[1]})", "", "list", true, R"({"list":[1]})"},
        {R"({"list":{"a":1}})", "", "list", true, R"({"list":[]})"},
        {R"({})", "x", "a", false, R"({"a":["x"]})"},
        {R"({"a":1})", "x", "", false, R"(["x"])"},
        {R"([1])", "2", "", true, R"([1,2])"},
        {R"({"a":{"b":[]}})", "x", "a.b", false, R"({"a":{"b":["x"]}})"},
        // Nothing changes:
        {R"({"list":"s"})", "{bad", "list", true, R"({"list":"s"})"},
        {R"({})", "x", "missing.list", false, R"({})"},
        {R"({"s":"t"})", "x", "s.list", false, R"({"s":"t"})"},
        {R"({})", "x", "[0]", false, R"({})"},
    };
    for (const Case& c : cases) {
        JsonDocument document = Parsed(c.start);
        document.Push(c.value, c.path, c.raw);
        EXPECT_EQ(c.json, document.ToJson()) << c.start << " push " << c.value << " to " << c.path;
    }
}

TEST(JsonDocumentTest, ElementsOfTheRoot) {
    JsonDocument array = Parsed(R"(["a",1.5,{"b":"c"}])");
    EXPECT_EQ("a", array.GetElement(0));
    EXPECT_EQ("1.5", array.GetElement(1));
    EXPECT_EQ("", array.GetElement(2));
    EXPECT_EQ(R"({"b":"c"})", array.GetElement(2, "", true));
    EXPECT_EQ("", array.GetElement(3));
    EXPECT_EQ("", array.GetElement(-1));
    EXPECT_EQ("d", Parsed(R"({"l":[{"b":"c"},"d"]})").GetElement(1, "l"));

    array.SetElement(1, "x");
    array.SetElement(4, "[true]", true);
    array.SetElement(0, "{bad", true);
    array.SetElement(-1, "neg");
    EXPECT_EQ(R"(["a","x",{"b":"c"},null,[true]])", array.ToJson());

    JsonDocument object = Parsed(R"({"a":1})");
    object.SetElement(3, "x");
    EXPECT_EQ(R"({"a":1,"3":"x"})", object.ToJson());
    JsonDocument text = Parsed(R"("s")");
    text.SetElement(0, "x");
    EXPECT_EQ(R"("s")", text.ToJson());
}

TEST(JsonDocumentTest, RemoveElementOfTheRootArray) {
    const std::pair<int, std::string> cases[] = {
        {-1, "[1,2]"}, {5, "[1,2,3]"}, {3, "[1,2,3]"}, {0, "[2,3]"}, {1, "[1,3]"}, {-3, "[2,3]"}, {-5, "[2,3]"},
    };
    for (const auto& [index, json] : cases) {
        JsonDocument document = Parsed("[1,2,3]");
        document.RemoveElement(index);
        EXPECT_EQ(json, document.ToJson()) << index;
    }
    JsonDocument object = Parsed(R"({"0":1})");
    object.RemoveElement(0);
    EXPECT_EQ(R"({"0":1})", object.ToJson());
}

TEST(JsonDocumentTest, RemoveAtTakesTheFirstSubscript) {
    const std::string kStart = R"({"list":[0,1,2,3,4],"a":{"b":[0,1,2,3]},"c":[{"d":[1,2]},{"d":[3]}],"o":{"k":1}})";
    const std::pair<std::string, std::string> cases[] = {
        {"list[3]", R"({"list":[0,1,2,4],"a":{"b":[0,1,2,3]},"c":[{"d":[1,2]},{"d":[3]}],"o":{"k":1}})"},
        {"a.b[3]", R"({"list":[0,1,2,3,4],"a":{"b":[0,1,2]},"c":[{"d":[1,2]},{"d":[3]}],"o":{"k":1}})"},
        {"c[1].d[0]", R"({"list":[0,1,2,3,4],"a":{"b":[0,1,2,3]},"c":[{"d":[1,2]}],"o":{"k":1}})"},
        {"list[-1]", R"({"list":[0,1,2,3],"a":{"b":[0,1,2,3]},"c":[{"d":[1,2]},{"d":[3]}],"o":{"k":1}})"},
        {"list[x]", R"({"list":[1,2,3,4],"a":{"b":[0,1,2,3]},"c":[{"d":[1,2]},{"d":[3]}],"o":{"k":1}})"},
        {"list[]", R"({"list":[1,2,3,4],"a":{"b":[0,1,2,3]},"c":[{"d":[1,2]},{"d":[3]}],"o":{"k":1}})"},
        {"list[9]", kStart},
        {"o[0]", kStart}, // not an array: written back as it was
        {"list", kStart},
        {"list[3", kStart},
        {"[3]", kStart},
        {"", kStart},
    };
    for (const auto& [path, json] : cases) {
        JsonDocument document = Parsed(kStart);
        document.RemoveAt(path);
        EXPECT_EQ(json, document.ToJson()) << path;
    }
}

TEST(JsonDocumentTest, MemberNamesInOrder) {
    JsonDocument document;
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(0, document.MemberNames(names));
    EXPECT_TRUE(names.empty());

    document.SetMember("b", "1");
    document.SetMember("a", "2");
    document.SetMember(G("名"), "3");
    document.SetMember("b", "again"); // keeps its place
    EXPECT_EQ(3, document.MemberNames(names));
    EXPECT_EQ((std::vector<std::string>{"b", "a", G("名")}), names);

    JsonDocument parsed = Parsed(R"({"o":{"z,y":1,"x":2},"l":[5,6],"s":"t"})");
    EXPECT_EQ(2, parsed.MemberNames(names, "o"));
    EXPECT_EQ((std::vector<std::string>{"z,y", "x"}), names);
    EXPECT_EQ(2, parsed.MemberNames(names, "l"));
    EXPECT_EQ((std::vector<std::string>{"0", "1"}), names);
    EXPECT_EQ(0, parsed.MemberNames(names, "s"));
    EXPECT_EQ(0, parsed.MemberNames(names, "missing.x"));
    EXPECT_TRUE(names.empty());
}

TEST(JsonDocumentTest, ResetAndSetRoot) {
    const std::pair<int, std::string> resets[] = {{0, "{}"}, {4, "{}"}, {5, "[]"}, {6, "[1]"}, {-1, "[1]"}};
    for (const auto& [code, json] : resets) {
        JsonDocument document = Parsed("[1]");
        document.Reset(code);
        EXPECT_EQ(json, document.ToJson()) << code;
    }
    struct Case {
        std::string value;
        bool raw;
        std::string json;
    };
    const Case roots[] = {
        {"x", false, R"("x")"}, {"", false, R"("")"},     {"[1,{}]", true, "[1,{}]"},
        {"7", true, "7"},       {"", true, R"({"a":1})"}, {"{bad", true, R"({"a":1})"},
    };
    for (const Case& c : roots) {
        JsonDocument document = Parsed(R"({"a":1})");
        document.SetRoot(c.value, c.raw);
        EXPECT_EQ(c.json, document.ToJson()) << c.value;
    }
}

TEST(JsonDocumentTest, LargeObjectsStayInOrderAndFindEveryMember) {
    std::string text = "{";
    for (int i = 0; i < 3000; ++i)
        text += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
    text += "\"k7\":\"last\",\"k2999\":-1}";
    JsonDocument document = Parsed(text);
    ASSERT_EQ(3000, document.Count());
    EXPECT_EQ("last", document.GetText("k7"));
    EXPECT_EQ("-1", document.GetText("k2999"));
    EXPECT_EQ("1234", document.GetText("k1234"));
    document.SetMember("k5000", "new");
    document.SetMember("k10", "ten");
    std::vector<std::string> names;
    ASSERT_EQ(3001, document.MemberNames(names));
    EXPECT_EQ("k7", names[7]);
    EXPECT_EQ("k5000", names.back());
    EXPECT_EQ("ten", document.GetText("k10"));
    EXPECT_EQ("new", document.GetText("k5000"));
}

TEST(JsonDocumentTest, DeepTreesDoNotExhaustTheStack) {
    // Texts stop at the depth limit, but edits can stack parsed values deeper.
    JsonDocument document;
    ASSERT_TRUE(document.Parse("{\"a\":" + Nested(4500, "0") + "}"));
    std::string path = "a";
    for (int round = 0; round < 8; ++round) {
        for (int i = 0; i < 4500; ++i)
            path += "[0]";
        document.SetMemberJson(path, Nested(4500, "0"));
    }
    EXPECT_EQ(kJsonKindArray, document.TypeOf(path));
    std::string json = document.ToJson();
    EXPECT_EQ("{\"a\":" + Nested(9 * 4500, "0") + "}", json);
    JsonDocument copy = document.GetObject("a");
    EXPECT_EQ(1, copy.Count());
    document.Clear();
}

TEST(JsonDocumentTest, ReadsTheShopPageAsTheCollectionRunDoes) {
    const std::vector<test::ShopPageShop>& shops = test::ShopPageShops();
    JsonDocument page;
    ASSERT_TRUE(page.Parse(Utf8ToGbk(test::ShopPageUtf8())));
    ASSERT_EQ(static_cast<int>(shops.size()), page.Count("mods.shoplist.data.shopItems"));
    for (size_t i = 0; i < shops.size(); ++i) {
        const test::ShopPageShop& shop = shops[i];
        std::string base = "mods.shoplist.data.shopItems[" + std::to_string(i) + "]";
        EXPECT_GBK_EQ(G(shop.nick), page.GetText(base + ".nick"));
        EXPECT_GBK_EQ(G(shop.rawTitle), page.GetText(base + ".rawTitle"));
        EXPECT_EQ(shop.shopUrl, page.GetText(base + ".shopUrl"));
        EXPECT_EQ(shop.totalsold, page.GetText(base + ".totalsold"));
        EXPECT_EQ(shop.procnt, page.GetText(base + ".procnt"));
        EXPECT_GBK_EQ(G(shop.provcity), page.GetText(base + ".provcity"));

        JsonDocument rating;
        ASSERT_TRUE(rating.Parse(page.GetText(base + ".dsrInfo.dsrStr"))) << i;
        EXPECT_EQ(shop.sgr, rating.GetText("sgr"));
        EXPECT_EQ(shop.mas, rating.GetText("mas"));
        EXPECT_EQ(shop.sas, rating.GetText("sas"));
        EXPECT_EQ(shop.cas, rating.GetText("cas"));

        ASSERT_EQ(static_cast<int>(shop.itemUrls.size()), page.Count(base + ".auctionsInshop"));
        for (size_t k = 0; k < shop.itemUrls.size(); ++k)
            EXPECT_EQ(shop.itemUrls[k], page.GetText(base + ".auctionsInshop[" + std::to_string(k) + "].url"));
    }
    EXPECT_EQ("", page.GetText("mods.shoplist.data.shopItems[" + std::to_string(test::kShopPageWithoutProvcity) +
                               "].provcity"));
    EXPECT_EQ("120", page.GetText("mods.shoplist.data.shopItems[0].totalsold"));
    EXPECT_EQ("", page.GetText("mods.shoplist.data.shopItems[20].nick"));
    EXPECT_GBK_EQ(G("杭州\t余杭"), page.GetText("mods.shoplist.data.shopItems[0].auctionsInshop[0].location"));
}

} // namespace
} // namespace sw
