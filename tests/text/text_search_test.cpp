#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "text/text.h"

namespace text {
namespace {

struct FindCase {
  const char* name;
  Text t;
  Text sub;
  std::optional<int> start;
  bool ignoreCase;
  int expected;
};

TEST(FindTextTest, Table) {
  const FindCase cases[] = {
      {"empty sub gives 1", "abc", "", {}, false, 1},
      {"empty sub in empty text", "", "", {}, false, -1},
      {"empty sub gives 1 not start", "abc", "", 3, false, 1},
      {"empty sub beyond the end", "abc", "", 4, false, -1},
      {"from start", "abcabc", "c", 4, false, 6},
      {"start beyond the end", "abc", "c", 4, false, -1},
      {"start 0 means 1", "abc", "c", 0, false, 3},
      {"negative start means 1", "abc", "a", -5, false, 1},
      {"ignore case", "User-agent: x", "User-Agent:", {}, true, 1},
      {"case matters", "User-agent: x", "User-Agent:", {}, false, -1},
      {"not inside a two-byte character",
       "\x81"
       "aa",
       "a",
       {},
       false,
       3},
      {"start on a second byte shifts the grid",
       "\xD6\xD0"
       "a",
       "a", 2, false, -1},
      {"two-byte sub", "a\xD6\xD0\xCE\xC4", "\xCE\xC4", {}, false, 4},
      {"sub straddling characters", "\xD6\xD0\xCE\xC4", "\xD0\xCE", {}, false, -1},
      {"cut-off last byte found alone", "a\xB0", "\xB0", {}, false, 2},
      {"sub longer than text", "ab", "abc", {}, false, -1},
      {"ignore case, letters only", "xxaBc", "AbC", {}, true, 3},
      {"ignore case, not inside a two-byte character",
       "\x81"
       "abab",
       "AB",
       {},
       true,
       4},
      {"ignore case leaves high bytes exact",
       "\xC1"
       "A",
       "\xE1"
       "a",
       {},
       true,
       -1},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindText(c.t, c.sub, c.start, c.ignoreCase), c.expected);
  }
}

TEST(FindTextReverseTest, Table) {
  const FindCase cases[] = {
      {"last occurrence", "abcabc", "abc", {}, false, 4},
      {"start after the end", "abcabc", "abc", 7, false, 4},
      {"occurrence must end before start", "abcabc", "abc", 6, false, 1},
      {"start 1", "abcabc", "abc", 1, false, -1},
      {"start 0", "abcabc", "abc", 0, false, -1},
      {"empty sub", "abc", "", {}, false, 1},
      {"empty sub, empty region", "abc", "", 1, false, -1},
      {"overlapping occurrences", "aaaa", "aa", {}, false, 3},
      {"not inside a two-byte character",
       "a\x81"
       "a\x81"
       "b",
       "a",
       {},
       false,
       1},
      {"ignore case", "xAbxaB", "ab", {}, true, 5},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindTextReverse(c.t, c.sub, c.start, c.ignoreCase), c.expected);
  }
}

struct ReplaceCase {
  const char* name;
  Text t;
  Text find;
  Text replacement;
  std::optional<int> start;
  std::optional<int> count;
  bool caseSensitive;
  Text expected;
};

TEST(ReplaceTextTest, Table) {
  const ReplaceCase cases[] = {
      {"every occurrence, folded", "aAa", "a", "x", {}, {}, false, "xxx"},
      {"case-sensitive", "aAa", "a", "x", {}, {}, true, "xAx"},
      {"count 1", "aAa", "a", "x", {}, 1, false, "xAa"},
      {"from start", "aAa", "a", "x", 2, {}, false, "axx"},
      {"count 0", "aAa", "a", "x", {}, 0, false, "aAa"},
      {"negative count means all", "aAa", "a", "x", {}, -1, false, "xxx"},
      {"empty find", "aAa", "", "x", {}, {}, true, "aAa"},
      {"start beyond the end", "aAa", "a", "x", 4, {}, true, "aAa"},
      {"replacement holding find", "aa", "a", "aa", {}, {}, true, "aaaa"},
      {"empty replacement deletes", "aAa", "a", "", {}, {}, true, "A"},
      {"not inside a two-byte character",
       "\x81"
       "aa",
       "a",
       "x",
       {},
       {},
       true,
       "\x81"
       "ax"},
      {"cut-off byte dropped by one-byte find", "ab\xB0", "a", "x", {}, {}, true, "xb"},
      {"cut-off byte kept by longer find", "ab\xB0", "ab", "x", {}, {}, true, "x\xB0"},
      {"cut-off byte itself replaced", "a\xB0", "\xB0", "x", {}, {}, true, "ax"},
      {"grid restarts after an occurrence",
       "\xB0\xB0"
       "a",
       "\xB0",
       "x",
       {},
       {},
       true,
       "xxa"},
  };
  for (const ReplaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReplaceText(c.t, c.find, c.replacement, c.start, c.count, c.caseSensitive),
              c.expected);
  }
}

struct SplitCase {
  const char* name;
  Text t;
  std::optional<Text> separator;
  std::optional<int> maxCount;
  TextArray expected;
};

TEST(SplitTextTest, Table) {
  const SplitCase cases[] = {
      {"trailing separator", "a,b,", ",", {}, {"a", "b"}},
      {"leading separator", ",a", ",", {}, {"", "a"}},
      {"adjacent separators", "a,,b", ",", {}, {"a", "", "b"}},
      {"separator only", ",", ",", {}, {""}},
      {"empty text", "", ",", {}, {}},
      {"empty separator", "abc", "", {}, {"abc"}},
      {"limit 1", "a,b", ",", 1, {"a"}},
      {"limit 0", "a,b", ",", 0, {}},
      {"negative limit", "a,b", ",", -3, {}},
      {"comma by default", "a;b,c", {}, {}, {"a;b", "c"}},
      {"longer separator", "a; b; c", "; ", {}, {"a", "b", "c"}},
      {"not inside a two-byte character",
       "\x81"
       "aa",
       "a",
       {},
       {"\x81"
        "a"}},
      {"cut-off byte stays in the last member", "a,\xB0", ",", {}, {"a", "\xB0"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitText(c.t, c.separator, c.maxCount), c.expected);
  }
}

struct TrimCase {
  const char* name;
  Text t;
  Text expected;
};

TEST(TrimSpacesTest, Table) {
  const TrimCase cases[] = {
      {"full-width and ASCII blanks", "\xA1\xA1 a b \xA1\xA1", "a b"},
      {"tabs and line breaks stay", "\ta\r\n", "\ta\r\n"},
      {"blanks only", "  \xA1\xA1 ", ""},
      {"cut-off byte removed, blanks before it stay", " a \xB0", "a "},
      {"cut-off 0xA1 is not a blank", "a \xA1", "a "},
      {"bytes inside characters are no blanks",
       "\xB0\xA1\xA1"
       " ",
       "\xB0\xA1\xA1"
       " "},
      {"empty", "", ""},
  };
  for (const TrimCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TrimSpaces(c.t), c.expected);
  }
}

}  // namespace
}  // namespace text

namespace text {
namespace {

Text Repeat(const Text& piece, int times) {
  Text out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

// Long runs of two-byte characters in which the searched bytes occur again and again across
// character boundaries: the search must skip every one of those and stay on the grid.
TEST(GridSearchTest, LongRunsOffTheGrid) {
  const Text pairs = Repeat("\xB0\xB1", 5000);
  const Text sub = Repeat("\xB1\xB0", 50);
  const Text forward = "a" + pairs + "z" + sub + "Q";
  EXPECT_EQ(FindText(forward, sub), 10003);
  EXPECT_EQ(FindText(forward, sub + "q", {}, true), 10003);
  EXPECT_EQ(FindText(forward, sub, 2), 10003);
  EXPECT_EQ(FindText(forward, sub, 3), 3);  // starting on a second byte shifts the grid
  EXPECT_EQ(FindText("a" + pairs, sub), -1);

  const Text backward = "Qz" + sub + "a" + pairs;
  EXPECT_EQ(FindTextReverse(backward, sub), 3);
  EXPECT_EQ(FindTextReverse(backward, "q" + Text("z") + sub, {}, true), 1);
  EXPECT_EQ(FindTextReverse("a" + pairs, sub), -1);

  EXPECT_EQ(ReplaceText(forward, sub, "!", {}, {}, true), "a" + pairs + "z!Q");
  EXPECT_EQ(SplitText(forward, sub), (TextArray{"a" + pairs + "z", "Q"}));
}

TEST(GridSearchTest, ManyOverlappingOccurrences) {
  const Text as = Repeat("a", 20000);
  const Text sub = Repeat("a", 1000);
  EXPECT_EQ(FindTextReverse(as, sub), 19001);
  EXPECT_EQ(FindTextReverse(as, sub, 5000), 4000);
  EXPECT_EQ(FindText(as, sub + "b"), -1);
  EXPECT_EQ(FindText(as, Repeat("A", 999) + "b", {}, true), -1);
  EXPECT_EQ(SplitText(as, sub).size(), 20U);
}

}  // namespace
}  // namespace text
