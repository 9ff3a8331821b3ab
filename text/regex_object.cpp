#include "text/regex_object.h"

#include "text/code_page.h"
#include "text/marker_search.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <vector>

namespace sw {
namespace {

// "#引号" in GBK: program text cannot hold a double quote inside a string literal.
constexpr std::string_view kQuotePlaceholder = "\x23\xD2\xFD\xBA\xC5";

// A runaway pattern must fail quickly instead of hanging the program. The match
// limit bounds one pcre2_match call (about 0.1 s interpreted, far less with JIT).
// The JIT stack, reserved but only touched as used, lets a group repeated over a
// whole megabyte subject succeed in well under a second; the interpreter, which
// only runs when JIT is missing, would take seconds and far more memory for it.
constexpr uint32_t kMatchLimit = 10'000'000;
constexpr uint32_t kDepthLimit = 10'000'000;
constexpr uint32_t kHeapLimitKib = 256 * 1024;
// The match limit counts per start position, so a pattern that scans far from
// every start (such as (a|b)*\d over a long run of a and b) is not stopped by it.
// Over a large subject a search therefore tries a slice of start positions per
// call and gives up, as for the match limit, once the whole search has taken
// longer than this.
constexpr PCRE2_SIZE kLargeSubject = 4 * 1024;
constexpr PCRE2_SIZE kStartsPerCall = 64;
constexpr std::chrono::milliseconds kSearchTimeLimit{2000};
constexpr PCRE2_SIZE kJitStackStart = 32 * 1024;
constexpr PCRE2_SIZE kJitStackMax = 64 * 1024 * 1024;

// The dialect's white space, [ \f\n\r\t\v]: PCRE2's own \s is left out so the set
// does not depend on its character tables.
constexpr std::string_view kSpaceRanges = "\\t-\\r ";
constexpr std::string_view kNonSpaceRanges = "\\x00-\\x08\\x0e-\\x1f!-\\x{10ffff}";

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsClassEscape(char c) {
    return c == 'd' || c == 'D' || c == 'w' || c == 'W' || c == 's' || c == 'S';
}

// Letters that mean the same after a backslash in the dialect and in PCRE2 with
// PCRE2_ALT_BSUX (\s, \S and \v are translated, \Q refused).
bool IsSharedEscapeLetter(char c) {
    switch (c) {
    case 'b':
    case 'B':
    case 'c':
    case 'd':
    case 'D':
    case 'f':
    case 'n':
    case 'r':
    case 't':
    case 'u':
    case 'w':
    case 'W':
    case 'x':
        return true;
    default:
        return false;
    }
}

// Writes the PCRE2 form of the escape "\e". False for \Q, whose quoting the dialect lacks.
bool TranslateEscape(char e, bool inClass, std::string& out) {
    switch (e) {
    case 's':
        if (!inClass)
            out += '[';
        out += kSpaceRanges;
        if (!inClass)
            out += ']';
        return true;
    case 'S':
        if (inClass) {
            out += kNonSpaceRanges;
        } else {
            out += "[^";
            out += kSpaceRanges;
            out += ']';
        }
        return true;
    case 'v': // the vertical tab, not PCRE2's vertical-space class
        out += "\\x0b";
        return true;
    case 'Q':
        return false;
    default:
        break;
    }
    // A letter with no meaning in the dialect stands for itself, as \A, \K or \z
    // must not become PCRE2's anchors and resets.
    if (IsAsciiLetter(e) && !IsSharedEscapeLetter(e)) {
        out += e;
        return true;
    }
    out += '\\';
    out += e;
    return true;
}

// Length of a counted repetition "{n}", "{n,}" or "{n,m}" at pattern[i], else 0;
// any other brace is an ordinary character in the dialect.
size_t BracedQuantifierLength(std::string_view pattern, size_t i) {
    size_t j = i + 1;
    size_t digits = 0;
    while (j < pattern.size() && IsDigit(pattern[j]))
        ++j, ++digits;
    if (digits == 0)
        return 0;
    if (j < pattern.size() && pattern[j] == ',') {
        ++j;
        while (j < pattern.size() && IsDigit(pattern[j]))
            ++j;
    }
    return j < pattern.size() && pattern[j] == '}' ? j + 1 - i : 0;
}

// Rewrites a pattern of the dialect (as UTF-8) into PCRE2 syntax. Returns false for
// what PCRE2 accepts but the dialect does not have (named groups, lookbehind,
// inline options, atomic groups, comments, verbs, recursion, possessive or
// stacked quantifiers, \Q...\E), so such a pattern fails rather than quietly
// meaning something else. Errors both reject are left for pcre2_compile to report.
bool TranslatePattern(std::string_view pattern, std::string& out) {
    enum class Last { Other, Quantifier, LazyQuantifier };
    Last last = Last::Other;
    bool inClass = false;
    out.clear();
    out.reserve(pattern.size() + 16);
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        const bool hasNext = i + 1 < pattern.size();
        Last now = Last::Other;
        if (c == '\\' && hasNext) {
            const char e = pattern[++i];
            if (!TranslateEscape(e, inClass, out))
                return false;
            // "[\d-z]" holds a hyphen in the dialect; PCRE2 calls it a bad range.
            if (inClass && IsClassEscape(e) && i + 2 < pattern.size() && pattern[i + 1] == '-' &&
                pattern[i + 2] != ']') {
                out += "\\-";
                ++i;
            }
        } else if (inClass) {
            if (c == ']')
                inClass = false;
            if (c == '[') // no POSIX classes in the dialect: "[[:a:]]" is a plain bracket
                out += '\\';
            out += c;
        } else if (c == '[') {
            inClass = true;
            out += c;
        } else if (c == '(') {
            if (hasNext && pattern[i + 1] == '*')
                return false;
            if (hasNext && pattern[i + 1] == '?') {
                if (i + 2 >= pattern.size())
                    return false;
                const char kind = pattern[i + 2];
                if (kind != ':' && kind != '=' && kind != '!')
                    return false;
                out.append(pattern.substr(i, 3));
                i += 2;
            } else {
                out += c;
            }
        } else if (c == '*' || c == '+' || c == '?') {
            if (last == Last::LazyQuantifier || (last == Last::Quantifier && c != '?'))
                return false;
            now = last == Last::Quantifier ? Last::LazyQuantifier : Last::Quantifier;
            out += c;
        } else if (c == '{') {
            const size_t length = BracedQuantifierLength(pattern, i);
            if (length == 0) {
                out += "\\{";
            } else {
                if (last != Last::Other)
                    return false;
                now = Last::Quantifier;
                out.append(pattern.substr(i, length));
                i += length - 1;
            }
        } else {
            out += c;
        }
        last = now;
    }
    return true;
}

pcre2_compile_context* CompileContext() {
    static pcre2_compile_context* const context = [] {
        pcre2_compile_context* c = pcre2_compile_context_create(nullptr);
        if (c != nullptr)
            pcre2_set_newline(c, PCRE2_NEWLINE_LF);
        return c;
    }();
    return context;
}

struct CompiledPattern {
    CompiledPattern() = default;
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;
    ~CompiledPattern() { pcre2_code_free(code); }

    pcre2_code* code = nullptr;
    uint32_t groups = 0;
};

// Translates and compiles a pattern; null when the dialect or PCRE2 refuses it.
std::shared_ptr<const CompiledPattern> CompilePattern(std::string_view pattern, uint32_t options) {
    std::string translated;
    if (!TranslatePattern(GbkToUtf8(pattern), translated))
        return nullptr;
    auto compiled = std::make_shared<CompiledPattern>();
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    compiled->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(translated.data()), translated.size(), options, &error,
                                   &errorOffset, CompileContext());
    if (compiled->code == nullptr)
        return nullptr;
    pcre2_jit_compile(compiled->code, PCRE2_JIT_COMPLETE); // the interpreter serves when JIT is missing
    pcre2_pattern_info(compiled->code, PCRE2_INFO_CAPTURECOUNT, &compiled->groups);
    return compiled;
}

// Scripts search with the same few patterns over and over, page after page, and
// compiling with JIT costs many times a search of a page head; so each thread
// keeps its most recently used patterns.
class PatternCache {
public:
    std::shared_ptr<const CompiledPattern> Get(std::string_view pattern, uint32_t options) {
        for (size_t i = 0; i < entries_.size(); ++i) {
            if (entries_[i].options == options && entries_[i].pattern == pattern) {
                std::rotate(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(i),
                            entries_.begin() + static_cast<std::ptrdiff_t>(i) + 1);
                return entries_.front().compiled;
            }
        }
        std::shared_ptr<const CompiledPattern> compiled = CompilePattern(pattern, options);
        if (compiled == nullptr)
            return nullptr;
        if (entries_.size() == kCapacity)
            entries_.pop_back();
        entries_.insert(entries_.begin(), Entry{std::string(pattern), options, compiled});
        return compiled;
    }

private:
    static constexpr size_t kCapacity = 16;
    struct Entry {
        std::string pattern;
        uint32_t options;
        std::shared_ptr<const CompiledPattern> compiled;
    };
    std::vector<Entry> entries_;
};

// Per-thread match resources, made once: the match context with its limits, the
// JIT stack it hands out, and a match-data block that grows to the largest
// pattern seen.
class MatchResources {
public:
    MatchResources() {
        context_ = pcre2_match_context_create(nullptr);
        if (context_ == nullptr)
            return;
        pcre2_set_match_limit(context_, kMatchLimit);
        pcre2_set_depth_limit(context_, kDepthLimit);
        pcre2_set_heap_limit(context_, kHeapLimitKib);
        jitStack_ = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        if (jitStack_ != nullptr)
            pcre2_jit_stack_assign(context_, nullptr, jitStack_);
    }
    ~MatchResources() {
        pcre2_match_data_free(data_);
        pcre2_jit_stack_free(jitStack_);
        pcre2_match_context_free(context_);
    }
    MatchResources(const MatchResources&) = delete;
    MatchResources& operator=(const MatchResources&) = delete;

    pcre2_match_context* Context() const { return context_; }

    // A block with room for pairs offset pairs, or null when memory runs out.
    pcre2_match_data* Data(uint32_t pairs) {
        if (data_ != nullptr && pcre2_get_ovector_count(data_) >= pairs)
            return data_;
        pcre2_match_data_free(data_);
        data_ = pcre2_match_data_create(pairs, nullptr);
        return data_;
    }

private:
    pcre2_match_context* context_ = nullptr;
    pcre2_jit_stack* jitStack_ = nullptr;
    pcre2_match_data* data_ = nullptr;
};

MatchResources& ThreadMatchResources() {
    thread_local MatchResources resources;
    return resources;
}

// Number of bytes flagged by their high bit in w (only high bits set); the
// multiplication sums them without needing a popcount instruction.
size_t ByteFlags(uint64_t w) {
    return static_cast<size_t>(((w >> 7) * 0x0101010101010101) >> 56);
}

// Number of UTF-16 units the well-formed UTF-8 text[from, to) makes: every byte
// but the continuation bytes, plus one for each four-byte sequence. Eight bytes a
// step, as every match of a global search walks the subject up to it.
size_t Utf16Units(std::string_view text, size_t from, size_t to) {
    constexpr uint64_t kHighBits = 0x8080808080808080;
    size_t units = to - from;
    size_t i = from;
    for (; i + 8 <= to; i += 8) {
        uint64_t w;
        std::memcpy(&w, text.data() + i, 8);
        const uint64_t continuation = w & ~(w << 1) & kHighBits;                      // 10xxxxxx
        const uint64_t fourByteLead = w & (w << 1) & (w << 2) & (w << 3) & kHighBits; // 1111xxxx
        units -= ByteFlags(continuation);
        units += ByteFlags(fourByteLead);
    }
    for (; i < to; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        units -= static_cast<size_t>((b & 0xC0) == 0x80);
        units += static_cast<size_t>(b >= 0xF0);
    }
    return units;
}

size_t NextCodePoint(std::string_view text, size_t offset) {
    ++offset;
    while (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80)
        ++offset;
    return offset;
}

} // namespace

struct RegexObject::State {
    std::string pattern; // as compiled, after the quote placeholder
    std::shared_ptr<const CompiledPattern> compiled;
    bool global = false;
    bool ran = false;    // false when a limit stopped the search
    uint32_t groups = 0; // capturing groups of the pattern
    std::string subject; // UTF-8
    // Per match, groups + 1 offset pairs into subject (PCRE2_UNSET for a group
    // that took no part), and where the match starts in UTF-16 units.
    std::vector<PCRE2_SIZE> offsets;
    std::vector<size_t> utf16Starts;

    size_t Count() const { return utf16Starts.size(); }
    const PCRE2_SIZE* Match(size_t index) const { return offsets.data() + index * (groups + 1) * 2; }
    std::string_view Group(size_t match, size_t group) const {
        const PCRE2_SIZE* pair = Match(match) + group * 2;
        if (pair[0] == PCRE2_UNSET)
            return {};
        return std::string_view(subject).substr(pair[0], pair[1] - pair[0]);
    }

    bool Run(MatchResources& resources);
    std::string Text(size_t match, size_t group, const std::string& gbkSubject, int* position) const;
    void AppendReplacement(std::string_view replacement, size_t match, std::string& out) const;
};

// Walks the matches the way the dialect's global search does: each attempt
// starts where the last match ended, one character further after an empty one.
bool RegexObject::State::Run(MatchResources& resources) {
    pcre2_match_data* data = resources.Data(groups + 1);
    if (data == nullptr || resources.Context() == nullptr)
        return false;
    const auto text = reinterpret_cast<PCRE2_SPTR>(subject.data());
    const PCRE2_SIZE length = subject.size();
    const size_t pairs = groups + 1;
    // GbkToUtf8 writes well-formed UTF-8 only, so PCRE2 need not check it again.
    const uint32_t options = PCRE2_NO_UTF_CHECK;
    PCRE2_SIZE start = 0;
    size_t unitsByte = 0;
    size_t units = 0;
    const bool sliced = length > kLargeSubject;
    const auto deadline = std::chrono::steady_clock::now() + kSearchTimeLimit;
    while (start <= length) {
        int rc;
        if (!sliced) {
            rc = pcre2_match(compiled->code, text, length, start, options, data, resources.Context());
        } else {
            // Slices of start positions until one holds a match or the subject ends.
            PCRE2_SIZE from = start;
            for (;;) {
                const PCRE2_SIZE last = std::min(length, from + kStartsPerCall);
                pcre2_set_offset_limit(resources.Context(), last);
                rc = pcre2_match(compiled->code, text, length, from, options, data, resources.Context());
                if (rc != PCRE2_ERROR_NOMATCH || last == length)
                    break;
                if (std::chrono::steady_clock::now() > deadline) {
                    pcre2_set_offset_limit(resources.Context(), PCRE2_UNSET);
                    return false;
                }
                from = NextCodePoint(subject, last);
                if (from > length)
                    break;
            }
            pcre2_set_offset_limit(resources.Context(), PCRE2_UNSET);
            if (std::chrono::steady_clock::now() > deadline)
                return false;
        }
        if (rc == PCRE2_ERROR_NOMATCH)
            break;
        if (rc <= 0)
            return false;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
        offsets.insert(offsets.end(), ovector, ovector + static_cast<size_t>(rc) * 2);
        offsets.resize(offsets.size() + (pairs - static_cast<size_t>(rc)) * 2, PCRE2_UNSET);
        units += Utf16Units(subject, unitsByte, ovector[0]);
        unitsByte = ovector[0];
        utf16Starts.push_back(units);
        if (!global)
            break;
        start = ovector[1] > ovector[0] ? ovector[1] : NextCodePoint(subject, ovector[1]);
    }
    return true;
}

// Expands $&, $`, $', $$ and $n / $nn for one match; anything else stays as written.
void RegexObject::State::AppendReplacement(std::string_view replacement, size_t match, std::string& out) const {
    const PCRE2_SIZE* whole = Match(match);
    for (size_t i = 0; i < replacement.size(); ++i) {
        const char c = replacement[i];
        if (c != '$' || i + 1 == replacement.size()) {
            out += c;
            continue;
        }
        const char next = replacement[i + 1];
        if (next == '$') {
            out += '$';
            ++i;
        } else if (next == '&') {
            out += Group(match, 0);
            ++i;
        } else if (next == '`') {
            out.append(subject, 0, whole[0]);
            ++i;
        } else if (next == '\'') {
            out.append(subject, whole[1]);
            ++i;
        } else if (IsDigit(next)) {
            const auto one = static_cast<uint32_t>(next - '0');
            const bool twoDigits = i + 2 < replacement.size() && IsDigit(replacement[i + 2]);
            const uint32_t two = twoDigits ? one * 10 + static_cast<uint32_t>(replacement[i + 2] - '0') : 0;
            if (two >= 1 && two <= groups) {
                out += Group(match, two);
                i += 2;
            } else if (one >= 1 && one <= groups) {
                out += Group(match, one);
                i += 1;
            } else {
                out += c;
            }
        } else {
            out += c;
        }
    }
}

// The group's text as GBK. Its position comes from looking the text up again in
// the GBK subject from the match's UTF-16 index read as a 1-based byte position,
// the rule scripts were written against; so it may land on an earlier copy of the
// text, or on none.
std::string RegexObject::State::Text(size_t match, size_t group, const std::string& gbkSubject, int* position) const {
    std::string text = Utf8ToGbk(Group(match, group));
    if (position != nullptr) {
        const size_t index = utf16Starts[match];
        const size_t found = FindMarkerForward(gbkSubject, text, index == 0 ? 0 : index - 1, false);
        if (found != kMarkerNotFound)
            *position = static_cast<int>(found);
    }
    return text;
}

RegexObject::RegexObject() = default;
RegexObject::~RegexObject() = default;
RegexObject::RegexObject(const RegexObject& other) = default;
RegexObject& RegexObject::operator=(const RegexObject& other) = default;

bool RegexObject::Search(std::string_view pattern, std::string_view subject, bool caseSensitive, bool multiline,
                         bool global, bool quotePlaceholder) {
    state_.reset();
    auto state = std::make_shared<State>();
    state->pattern = pattern;
    if (quotePlaceholder) {
        for (size_t at = state->pattern.find(kQuotePlaceholder); at != std::string::npos;
             at = state->pattern.find(kQuotePlaceholder, at + 1))
            state->pattern.replace(at, kQuotePlaceholder.size(), 1, '"');
    }

    uint32_t options =
        PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_ALLOW_EMPTY_CLASS | PCRE2_USE_OFFSET_LIMIT;
    // ALT_CIRCUMFLEX: "^" also matches after a line feed that ends the subject.
    options |= multiline ? PCRE2_MULTILINE | PCRE2_ALT_CIRCUMFLEX : PCRE2_DOLLAR_ENDONLY;
    if (!caseSensitive)
        options |= PCRE2_CASELESS;
    thread_local PatternCache cache;
    state->compiled = cache.Get(state->pattern, options);
    if (state->compiled == nullptr)
        return false;
    state->groups = state->compiled->groups;
    state->global = global;

    state->subject = GbkToUtf8(subject);
    subject_ = subject;
    state->ran = state->Run(ThreadMatchResources());
    if (!state->ran) {
        state->offsets.clear();
        state->utf16Starts.clear();
    }
    const bool ran = state->ran;
    state_ = std::move(state);
    return ran;
}

std::string RegexObject::GetPattern() const {
    return state_ ? state_->pattern : std::string();
}

std::string RegexObject::Replace(std::string_view replacement) const {
    if (!state_ || !state_->ran)
        return {};
    const State& s = *state_;
    if (s.Count() == 0)
        return subject_;
    const std::string utf8Replacement = GbkToUtf8(replacement);
    std::string out;
    out.reserve(s.subject.size() + utf8Replacement.size() * s.Count());
    size_t copied = 0;
    for (size_t m = 0; m < s.Count(); ++m) {
        const PCRE2_SIZE* whole = s.Match(m);
        out.append(s.subject, copied, whole[0] - copied);
        s.AppendReplacement(utf8Replacement, m, out);
        copied = whole[1];
    }
    out.append(s.subject, copied);
    return Utf8ToGbk(out);
}

int RegexObject::MatchCount() const {
    return state_ ? static_cast<int>(state_->Count()) : 0;
}

std::string RegexObject::MatchText(int matchIndex, int* position) const {
    if (position != nullptr)
        *position = -2;
    if (!state_ || matchIndex < 1 || static_cast<size_t>(matchIndex) > state_->Count())
        return {};
    return state_->Text(static_cast<size_t>(matchIndex - 1), 0, subject_, position);
}

std::string RegexObject::SubMatchText(int matchIndex, int subIndex, int* position) const {
    if (position != nullptr)
        *position = -2;
    if (!state_ || matchIndex < 1 || static_cast<size_t>(matchIndex) > state_->Count() || subIndex < 1 ||
        static_cast<uint32_t>(subIndex) > state_->groups)
        return {};
    return state_->Text(static_cast<size_t>(matchIndex - 1), static_cast<size_t>(subIndex), subject_, position);
}

int RegexObject::SubMatchCount() const {
    return state_ && state_->Count() > 0 ? static_cast<int>(state_->groups) : 0;
}

} // namespace sw
