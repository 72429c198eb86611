#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "text/text.h"

namespace text {
namespace {

TEST(TextCutTest, OutOfRangeGivesEmpty) {
  EXPECT_EQ(TextLeft("abc", 5), "abc");
  EXPECT_EQ(TextLeft("abc", 0), "");
  EXPECT_EQ(TextLeft("abc", -1), "");
  EXPECT_EQ(TextRight("abc", 2), "bc");
  EXPECT_EQ(TextRight("abc", 9), "abc");
  EXPECT_EQ(TextRight("abc", -2), "");
  EXPECT_EQ(TextMid("abc", 0, 2), "");
  EXPECT_EQ(TextMid("abc", 3, 5), "c");
  EXPECT_EQ(TextMid("abc", 4, 1), "");
  EXPECT_EQ(TextMid("abc", 2, 0), "");
  EXPECT_EQ(TextMid("abc", 2, INT_MAX), "bc");
  EXPECT_EQ(TextMid("\xD6\xD0", 2, 1), "\xD0");  // cuts count bytes, not characters
  EXPECT_EQ(BlankText(0), "");
  EXPECT_EQ(BlankText(3), "   ");
}

TEST(TextComposeTest, CodesAndConcatenation) {
  EXPECT_EQ(CharFromCode(0), "");
  EXPECT_EQ(CharFromCode(0xB0), "\xB0");
  EXPECT_EQ(CharCode(""), 0);
  EXPECT_EQ(CharCode("\xB0"
                     "a"),
            -80);
  EXPECT_EQ(CharCode("ab", 2), 'b');
  EXPECT_EQ(CharCode("ab", 3), 0);
  EXPECT_EQ(CharCode("ab", 0), 0);
  EXPECT_EQ(ConcatText(Text("a"), Text(), Text("bc"), "d"), "abcd");
  EXPECT_EQ(ConcatText(Text()), "");
  EXPECT_EQ(MemberCount({}), 0);
  EXPECT_EQ(MemberCount({"", "a"}), 2);
}

TEST(CompareTextTest, UnsignedBytesAndPrefixes) {
  EXPECT_EQ(CompareText("abc", "abc"), 0);
  EXPECT_EQ(CompareText("", ""), 0);
  EXPECT_EQ(CompareText("ab", "abc"), -1);
  EXPECT_EQ(CompareText("abc", "ab"), 1);
  EXPECT_EQ(CompareText("\xB0", "a"), 1);  // 0xB0 is above 'a' as an unsigned byte
  EXPECT_EQ(CompareText("A", "a"), -1);
}

TEST(CaseMappingTest, AsciiLettersOutsideTwoByteCharacters) {
  EXPECT_EQ(ToUpperAscii("abc\x81"
                         "a"),
            "ABC\x81"
            "a");
  EXPECT_EQ(ToLowerAscii("ABC\x81"
                         "A"),
            "abc\x81"
            "A");
  EXPECT_EQ(ToUpperAscii("a\xB0"), "A\xB0");
  EXPECT_EQ(ToLowerAscii("Z[@"), "z[@");
}

struct IntCase {
  const char* name;
  Text t;
  int expected;
};

TEST(TextToIntTest, Table) {
  const IntCase cases[] = {
      {"leading blanks and trailing letters", "  42abc", 42},
      {"no digits", "abc", 0},
      {"minus", "-7", -7},
      {"plus", "+7", 7},
      {"full-width digits", "\xA3\xB1\xA3\xB2\xA3\xB3", 123},
      {"full-width minus",
       "\xA3\xAD"
       "5",
       -5},
      {"full-width blank",
       "\xA1\xA1"
       "9",
       9},
      {"white space", "\t\n\v\f\r 8", 8},
      {"empty", "", 0},
      {"sign without digits", "-x", 0},
      {"wraps around", "4294967297", 1},
      {"lowest", "-2147483648", INT_MIN},
      {"digit as second byte is no digit",
       "\x81"
       "5",
       0},
  };
  for (const IntCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextToInt(c.t), c.expected);
  }
}

TEST(NumberTextTest, DecimalAndHex) {
  EXPECT_EQ(IntToText(-5), "-5");
  EXPECT_EQ(IntToText(0), "0");
  EXPECT_EQ(IntToText(INT_MIN), "-2147483648");
  EXPECT_EQ(ByteToHex(10), "A");
  EXPECT_EQ(ByteToHex(255), "FF");
  EXPECT_EQ(ByteToHex(0), "0");
}

TEST(BytesTest, CutsAndConversions) {
  const Bytes abc{'a', 'b', 'c'};
  EXPECT_EQ(BytesLength({}), 0);
  EXPECT_EQ(BytesToText({'a', 0, 'b'}), "a");
  EXPECT_EQ(TextToBytes(""), Bytes{});
  EXPECT_EQ(TextToBytes("ab"), (Bytes{'a', 'b'}));
  EXPECT_EQ(BlankBytes(-1), Bytes{});
  EXPECT_EQ(BlankBytes(2), (Bytes{0, 0}));
  EXPECT_EQ(BytesLeft(abc, 2), (Bytes{'a', 'b'}));
  EXPECT_EQ(BytesLeft(abc, 7), abc);
  EXPECT_EQ(BytesLeft(abc, 0), Bytes{});
  EXPECT_EQ(BytesMid(abc, 0, 2), (Bytes{'a', 'b'}));
  EXPECT_EQ(BytesMid(abc, -4, 1), (Bytes{'a'}));
  EXPECT_EQ(BytesMid(abc, 3, 5), (Bytes{'c'}));
  EXPECT_EQ(BytesMid(abc, 4, 1), Bytes{});
  EXPECT_EQ(BytesMid(abc, 1, 0), Bytes{});
  EXPECT_EQ(ConcatBytes(Bytes{}, Bytes{}), Bytes{});
  EXPECT_EQ(ConcatBytes(abc, Bytes{0}, abc), (Bytes{'a', 'b', 'c', 0, 'a', 'b', 'c'}));
  EXPECT_TRUE(BytesEqual({}, {}));
  EXPECT_FALSE(BytesEqual(abc, {'a', 'b'}));
  EXPECT_FALSE(BytesEqual(abc, {'a', 'b', 'd'}));
}

}  // namespace
}  // namespace text
