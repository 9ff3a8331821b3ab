// Texts of 200 MB: reading, writing and dropping them must stay linear and
// within memory. Labelled "large" for the long-running test selection.

#include "json/json_document.h"

#include <gtest/gtest.h>

#include <string>

namespace sw {
namespace {

constexpr size_t kTextSize = 200u << 20;

// One object of about a million members, each with a text of ~190 bytes:
// object building and member lookup must not be quadratic.
std::string ManyMembers() {
    const std::string filler(180, 'x');
    std::string text = "{";
    text.reserve(kTextSize + 256);
    for (size_t i = 0; text.size() < kTextSize; ++i)
        text += "\"m" + std::to_string(i) + "\":\"" + filler + "\",";
    text += "\"last\":[1,2,3]}";
    return text;
}

TEST(JsonLargeInputTest, ParsesAndWritesTwoHundredMegabytes) {
    const std::string text = ManyMembers();
    JsonDocument document;
    ASSERT_TRUE(document.Parse(text));
    EXPECT_GT(document.Count(), 1000000);
    EXPECT_EQ(std::string(180, 'x'), document.GetText("m999999"));
    EXPECT_EQ(3, document.Count("last"));
    EXPECT_EQ(text, document.ToJson());
    JsonDocument copy = document.GetObject("last");
    EXPECT_EQ("[1,2,3]", copy.ToJson());
}

TEST(JsonLargeInputTest, RefusesBrokenOrHugeTexts) {
    std::string text = ManyMembers();
    text.pop_back(); // unterminated
    JsonDocument document;
    EXPECT_FALSE(document.Parse(text));
    EXPECT_EQ("null", document.ToJson());

    std::string string = "\"" + std::string(kTextSize, 'y') + "\"";
    ASSERT_TRUE(document.Parse(string));
    EXPECT_EQ(kJsonKindString, document.TypeOf());
    EXPECT_EQ(string, document.ToJson());

    std::string deep(kTextSize / 2, '[');
    EXPECT_FALSE(document.Parse(deep + std::string(kTextSize / 2, ']')));
}

} // namespace
} // namespace sw
