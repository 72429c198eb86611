#include "text/text_helpers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "text/code_page.h"

namespace text {
namespace {

struct MarkerCase {
  const char* name;
  Text t;
  Text first;
  Text second;
  std::optional<int> start;
  Text expected;
};

TEST(TextBetweenTest, Table) {
  const MarkerCase cases[] = {
      {"first pair", "a[x]b[y]", "[", "]", {}, "x"},
      {"start moves the left marker", "a[x]b[y]", "[", "]", 3, "y"},
      {"no right marker", "a[x", "[", "]", {}, ""},
      {"no left marker", "a]x", "[", "]", {}, ""},
      {"nothing between", "a[]b", "[", "]", {}, ""},
      {"empty left marker", "ab", "", "b", {}, "a"},
      {"empty right marker", "ab", "a", "", {}, ""},
      {"right marker only after the left", "]a[b]", "[", "]", {}, "b"},
      {"markers overlap", "a[]", "[]", "]", {}, ""},
  };
  for (const MarkerCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextBetween(c.t, c.first, c.second, c.start), c.expected);
  }
}

TEST(TextBetweenTest, QuoteMarkStandsForDoubleQuote) {
  const Text quote = Utf8ToGbk("#引号");
  EXPECT_EQ(TextBetween("id=\"7\"", "id=" + quote, quote), "7");
  EXPECT_EQ(TextBetween("<A>x</a>", "<a>", "</A>", {}, true), "x");
}

TEST(TextLeftOfTest, Table) {
  const MarkerCase cases[] = {
      {"first marker", "a=b=c", "=", "", {}, "a"},
      {"counted from position 1", "a=b=c", "=", "", 3, "a=b"},
      {"marker first", "=b", "=", "", {}, ""},
      {"no marker", "abc", "=", "", {}, ""},
      {"empty marker", "abc", "", "", {}, ""},
      {"start below 1", "a=b", "=", "", -2, "a"},
  };
  for (const MarkerCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextLeftOf(c.t, c.first, c.start), c.expected);
  }
}

TEST(TextRightOfLastTest, Table) {
  const MarkerCase cases[] = {
      {"last marker", "a=b=c", "=", "", {}, "c"},
      {"marker must end before start", "a=b=c", "=", "", 4, "b=c"},
      {"marker last", "a=b=", "=", "", {}, ""},
      {"no marker", "abc", "=", "", {}, ""},
      {"empty marker", "abc", "", "", {}, "abc"},
      {"longer marker", "a=>b=>c", "=>", "", {}, "c"},
      {"start 1", "a=b", "=", "", 1, ""},
  };
  for (const MarkerCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextRightOfLast(c.t, c.first, c.start), c.expected);
  }
}

TEST(ReplaceManyTest, PairsInOrder) {
  EXPECT_EQ(ReplaceMany("aAa", {}, {}, false, "a", "b"), "bbb");
  EXPECT_EQ(ReplaceMany("aAa", 1, {}, true, "a", "b"), "bAa");
  EXPECT_EQ(ReplaceMany("ab", {}, {}, false, "a", "b", "b", "c"), "cc");
  EXPECT_EQ(ReplaceMany("say \"hi\"", {}, {}, false, "\"", "\\\""), "say \\\"hi\\\"");
  EXPECT_EQ(ReplaceMany("abcde", {}, {}, true, "a", "1", "b", "2", "c", "3", "d", "4", "e", "5"),
            "12345");
  EXPECT_EQ(ReplaceMany("aaa", 1, 2, true, "a", "x", "a", "y"), "axy");
}

struct DuplicatesCase {
  const char* name;
  Text t;
  std::optional<Text> separator;
  Text expected;
};

TEST(RemoveDuplicatesTest, Table) {
  const DuplicatesCase cases[] = {
      {"repeated item", "a; b; a; c", "; ", "a; b; c"},
      {"separator at the end", "a; b; ", "; ", "a; b"},
      {"empty item taken once", "a;;b;;c", ";", "a;;b;c"},
      {"empty", "", ";", ""},
      {"characters", "abcab", {}, "abc"},
      {"case-sensitive", "A a", " ", "A a"},
      {"two-byte characters",
       "\xD6\xD0"
       "a\xD6\xD0",
       {},
       "\xD6\xD0"
       "a"},
  };
  for (const DuplicatesCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemoveDuplicates(c.t, c.separator), c.expected);
  }
}

TEST(SplitCharsTest, CharactersAndLineBreaks) {
  EXPECT_EQ(SplitChars("a\r\n\r\xB0\xA1\x80"
                       "b"),
            (TextArray{"a", "\r\n", "\r", "\xB0\xA1", "\x80", "b"}));
  EXPECT_EQ(SplitChars("a\xB0"), (TextArray{"a", "\xB0"}));
  EXPECT_EQ(SplitChars(""), TextArray{});
}

TEST(IndexOfMemberTest, FirstEqualMember) {
  const TextArray members{"a", "b", "a", ""};
  EXPECT_EQ(IndexOfMember(members, "a"), 1);
  EXPECT_EQ(IndexOfMember(members, "c"), -1);
  EXPECT_EQ(IndexOfMember(members, ""), 4);
  EXPECT_EQ(IndexOfMember({}, "a"), -1);
  EXPECT_EQ(IndexOfMember(members, "A"), -1);
}

}  // namespace
}  // namespace text
