#pragma once

// A regular-expression object with program-text (GBK) arguments and 1-based
// indexes, speaking the JScript 5.5 (ECMAScript 3) pattern dialect and its
// replacement syntax. One object holds the pattern, the subject and the matches
// of its last Search. Built on PCRE2 in UTF mode over the UTF-8 form of the
// subject; match texts come back as GBK.

#include <memory>
#include <string>
#include <string_view>

namespace sw {

class RegexObject {
public:
    RegexObject();
    ~RegexObject();
    // A copy shares the compiled pattern and the matches and holds its own subject.
    RegexObject(const RegexObject& other);
    RegexObject& operator=(const RegexObject& other);

    // Compiles pattern and runs it over subject. True when the search ran (also
    // when nothing matched); false for a pattern the dialect refuses. With
    // quotePlaceholder every "#引号" in pattern stands for a double quote.
    bool Search(std::string_view pattern, std::string_view subject, bool caseSensitive = false, bool multiline = true,
                bool global = true, bool quotePlaceholder = false);
    void NoOperation() {}
    // The pattern of the last Search; empty before the first.
    std::string GetPattern() const;
    // The subject with the matches replaced ($1..$99, $&, $`, $', $$); all of
    // them when the search was global, else the first.
    std::string Replace(std::string_view replacement) const;
    int MatchCount() const;
    // Match matchIndex (1 is the first); empty when there is none. position, when
    // given, receives the 0-based byte offset of the match in the subject (-2 when
    // the text is not found there).
    std::string MatchText(int matchIndex, int* position = nullptr) const;
    // Group subIndex (1 is the first) of match matchIndex; empty when there is no
    // such match or group or the group took no part.
    std::string SubMatchText(int matchIndex, int subIndex, int* position = nullptr) const;
    // The number of capturing groups of the first match; 0 when nothing matched.
    int SubMatchCount() const;

private:
    struct State;
    std::shared_ptr<const State> state_;
    std::string subject_;
};

} // namespace sw
