#include "zip/names/ZAMasks.h"
#include "zip/names/ZAStringTables.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace zip;

namespace {

// --- Reference matchers: the backtracking rules written out step by step. ---
// They are slow on purpose (every combination of star positions is tried) and
// serve only as the oracle for the fast matchers on short inputs.

uint8_t up(uint8_t b) {
    return (b >= 'a' && b <= 'z') ? uint8_t(b - 32) : b;
}

bool referenceMaskMatches(const std::vector<TMask::State>& states, const std::string& name) {
    const char* s = name.c_str();
    std::vector<std::pair<size_t, size_t>> stack;
    auto stateMatches = [&](const TMask::State& st, uint8_t b) {
        return st.Kind == TMask::StateKind::Any ? b != 0 : up(b) == st.Char;
    };
    auto walk = [&](size_t p, size_t first) {
        for (size_t i = first; i < states.size(); ++i) {
            const TMask::State& st = states[i];
            if (st.SkipTo) {
                while (s[p] != 0 && !stateMatches(st, uint8_t(s[p])))
                    ++p;
                if (s[p] != 0) {
                    stack.emplace_back(p + 1, i);
                    EXPECT_LE(stack.size(), 30u);
                }
            }
            if (st.Kind == TMask::StateKind::Any) {
                if (s[p] == 0)
                    return false;
                ++p;
            } else if (st.Char == 0) {
                if (s[p] != 0)
                    return false;
            } else {
                if (up(uint8_t(s[p])) != st.Char)
                    return false;
                ++p;
            }
        }
        return true;
    };
    size_t p = 0, state = 0;
    for (;;) {
        if (walk(p, state))
            return true;
        if (stack.empty())
            return false;
        std::tie(p, state) = stack.back();
        stack.pop_back();
    }
}

bool referenceWildcard(const char* name, const char* pattern, bool ignoreCase) {
    if (std::string(pattern) == "*.*")
        return true;
    const TZAStringTables& t = TZAStringTables::Default();
    for (;;) {
        if (std::string(pattern) == "*")
            return true;
        if (*name == 0 && *pattern != 0)
            return false;
        if (*name == 0 && *pattern == 0)
            return true;
        if (*pattern == '*') {
            const size_t rest = std::string(name).size();
            for (size_t k = 0; k < rest; ++k)
                if (referenceWildcard(name + k, pattern + 1, ignoreCase))
                    return true;
            return false;
        }
        if (*pattern != '?') {
            const char a[2] = {*name, 0}, b[2] = {*pattern, 0};
            const int c = ignoreCase ? t.CompareIgnoreCase(a, b, 1) : t.Compare(a, b, 1);
            if (c != 0)
                return false;
        }
        ++name;
        ++pattern;
    }
}

std::string randomString(std::mt19937& rng, const std::string& alphabet, size_t maxLength) {
    std::uniform_int_distribution<size_t> len(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string s(len(rng), ' ');
    for (char& c : s)
        c = alphabet[pick(rng)];
    return s;
}

std::string starPairs(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "*x";
    return s;
}

} // namespace

TEST(MasksTest, MaskTable) {
    EXPECT_TRUE(MatchesMask("A.TXT", "*.txt"));
    EXPECT_TRUE(MatchesMask("dir/a.txt", "*.txt"));
    EXPECT_TRUE(MatchesMask("abc", "a?c"));
    EXPECT_TRUE(MatchesMask("ABC", "a?c"));
    EXPECT_FALSE(MatchesMask("ac", "a?c"));
    EXPECT_TRUE(MatchesMask("", "*?"));
    EXPECT_TRUE(MatchesMask("", ""));
    EXPECT_FALSE(MatchesMask("x", ""));
    EXPECT_TRUE(MatchesMask("x", "*"));
    EXPECT_FALSE(MatchesMask("readme", "*.*"));
    EXPECT_TRUE(MatchesMask("tpl1\\sub\\x.swf", "TPL1\\*.*"));
    EXPECT_FALSE(MatchesMask("caf\xc3\xa9", "CAF\xc3\x89")); // only a-z fold
}

TEST(MasksTest, SkipStateLimitIsAPlainError) {
    EXPECT_NO_THROW(TMask(starPairs(30)));
    try {
        TMask mask(starPairs(31));
        FAIL() << "31 skip states compiled";
    } catch (const EZAPlainError& e) {
        EXPECT_EQ(std::string(e.what()), "'" + starPairs(31) + "' is an invalid mask at (62)");
    }
    // Runs of stars and "*?" count once.
    EXPECT_NO_THROW(TMask(std::string(200, '*') + "x"));
    EXPECT_EQ(TMask("a*?b").States().size(), 3u);
}

TEST(MasksTest, WildcardTable) {
    EXPECT_TRUE(WildcardMatch("readme", "*.*", false));
    EXPECT_TRUE(WildcardMatch("", "*.*", false));
    EXPECT_TRUE(WildcardMatch("abc", "abc*", false));
    EXPECT_FALSE(WildcardMatch("a", "a**", false));
    EXPECT_TRUE(WildcardMatch("a", "a*", false));
    EXPECT_TRUE(WildcardMatch("ABC", "abc", true));
    EXPECT_FALSE(WildcardMatch("ABC", "abc", false));
    EXPECT_FALSE(WildcardMatch("\xc3\xa4.txt", "\xc3\x84.TXT", true));
    EXPECT_TRUE(WildcardMatch("tpl1/sub/x.swf", "tpl1/*", true));
    EXPECT_FALSE(WildcardMatch("tpl2/x.swf", "tpl1/*", true));
    // "*.*" after another star is taken whole and needs a non-empty rest.
    EXPECT_TRUE(WildcardMatch("xab", "x**.*", false));
    EXPECT_FALSE(WildcardMatch("x", "x**.*", false));
    EXPECT_FALSE(WildcardMatch("xab", "x*.*", false));
}

TEST(MasksTest, HostileInputsStayFast) {
    const std::string name(20000, 'a');
    std::string mask;
    for (int i = 0; i < 29; ++i)
        mask += "*a";
    mask += "*b";
    // A backtracking matcher would not finish these in the lifetime of the test run.
    EXPECT_FALSE(MatchesMask(name, mask));
    EXPECT_FALSE(WildcardMatch(name, mask, true));
    EXPECT_TRUE(WildcardMatch(name + "b", mask, false));
    EXPECT_TRUE(MatchesMask(name + "b", mask));
}

TEST(MasksTest, FastMatchersAgreeWithTheBacktrackingRules) {
    std::mt19937 rng(20261207);
    const std::string alphabet = "ab./*?A";
    int maskMatches = 0, wildMatches = 0;
    for (int i = 0; i < 100000; ++i) {
        const std::string name = randomString(rng, "ab./A", 9);
        const std::string mask = randomString(rng, alphabet, 7);
        const TMask compiled(mask);
        const bool fast = compiled.Matches(name);
        ASSERT_EQ(fast, referenceMaskMatches(compiled.States(), name))
            << "name '" << name << "' mask '" << mask << "'";
        maskMatches += fast;
        const bool ignoreCase = (i & 1) != 0;
        const bool wild = WildcardMatch(name, mask, ignoreCase);
        ASSERT_EQ(wild, referenceWildcard(name.c_str(), mask.c_str(), ignoreCase))
            << "name '" << name << "' pattern '" << mask << "' ignoreCase " << ignoreCase;
        wildMatches += wild;
    }
    // Both outcomes occur often enough for the comparison to mean something.
    EXPECT_GT(maskMatches, 2000);
    EXPECT_GT(wildMatches, 2000);
}

TEST(MasksTest, ByteOrderTablesFoldAsciiOnly) {
    const TZAStringTables t(1033);
    EXPECT_TRUE(t.CollationValid());
    EXPECT_EQ(t.Compare("a", "b", 1) < 0, true);
    EXPECT_EQ(t.CompareIgnoreCase("a", "A", 1), 0);
    EXPECT_NE(t.Compare("a", "A", 1), 0);
    EXPECT_NE(t.CompareIgnoreCase("\xe4", "\xc4", 1), 0);
    EXPECT_EQ(t.Compare("abc", "abd", 2), 0);
    EXPECT_EQ(t.Compare(nullptr, "", 1), 0);
    EXPECT_LT(t.Compare(nullptr, "x", 1), 0);
    EXPECT_GT(t.Compare("x", nullptr, 1), 0);
    EXPECT_EQ(t.Compare("x", "y", 0), 0);
}

TEST(MasksTest, TurkishTablesKeepTheirOrder) {
    const TZAStringTables t(TZAStringTables::TurkishLocale);
    ASSERT_TRUE(t.CollationValid());
    const std::pair<int, int> rows[] = {{0x00, 0},  {0x01, 2},   {0x20, 1},  {0x21, 33},
                                        {0x40, 64}, {0x61, 65},  {0x41, 72}, {0x62, 81},
                                        {0x42, 82}, {0x80, 248}, {0x81, 249}};
    for (auto [byte, weight] : rows)
        EXPECT_EQ(t.Weight(uint8_t(byte)), weight) << byte;
    // The dotted and dotless i stay apart when case is ignored.
    EXPECT_NE(t.CompareIgnoreCase("i", "I", 1), 0);
    EXPECT_EQ(t.CompareIgnoreCase("i", "\xdd", 1), 0);
    EXPECT_EQ(t.CompareIgnoreCase("\xfd", "I", 1), 0);
    EXPECT_EQ(t.CompareIgnoreCase("\xe7", "\xc7", 1), 0);
    EXPECT_LT(t.Compare("a", "B", 1), 0);
    EXPECT_LT(t.Compare("A", "b", 1), 0);
}
