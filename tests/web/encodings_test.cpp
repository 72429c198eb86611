#include "web/encodings.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "text/code_page.h"

namespace {

using text::Bytes;
using text::Text;

const Text kZhongWenGbk = "\xD6\xD0\xCE\xC4";
const Text kZhongWenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";

// Strict UTF-8 decoding (no overlong forms, no surrogates); nullopt for invalid input.
std::optional<std::vector<char32_t>> DecodeUtf8(const Text& s) {
  std::vector<char32_t> out;
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<std::uint8_t>(s[i]);
    std::size_t extra = 0;
    char32_t cp = b;
    char32_t min = 0;
    if (b >= 0x80) {
      if ((b & 0xE0) == 0xC0) {
        extra = 1;
        min = 0x80;
      } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        min = 0x800;
      } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        min = 0x10000;
      } else {
        return std::nullopt;
      }
      cp = b & (0x3F >> extra);
    }
    if (i + extra >= s.size() && extra > 0) return std::nullopt;
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<std::uint8_t>(s[i + k]);
      if ((c & 0xC0) != 0x80) return std::nullopt;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

Bytes Units(std::initializer_list<char16_t> units) {
  Bytes b;
  for (const char16_t u : units) {
    b.push_back(static_cast<std::uint8_t>(u & 0xFF));
    b.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return b;
}

TEST(Encodings, GbkToUtf8) {
  EXPECT_EQ(web::GbkToUtf8(kZhongWenGbk), kZhongWenUtf8);
  EXPECT_EQ(web::GbkToUtf8(""), "");
  EXPECT_EQ(web::GbkToUtf8("plain ASCII, 0-9 ~!\t\r\n"), "plain ASCII, 0-9 ~!\t\r\n");
  // The one-byte euro sign of code page 936 takes three UTF-8 bytes: more than twice the GBK
  // length, so a buffer sized from the GBK bytes would cut it off.
  EXPECT_EQ(web::GbkToUtf8("\x80\x80\x80"), "€€€");
}

TEST(Encodings, InvalidBytesAreReplacedOneByOne) {
  // A byte that starts no GBK character and a cut-off character at the end: both are replaced,
  // and everything around them still arrives.
  const Text input =
      "a\xFF"
      "b" +
      kZhongWenGbk + "c\x81";
  const Text out = web::GbkToUtf8(input);
  const auto decoded = DecodeUtf8(out);
  ASSERT_TRUE(decoded.has_value()) << out;
  EXPECT_NE(out.find("a"), Text::npos);
  EXPECT_NE(out.find("b" + kZhongWenUtf8 + "c"), Text::npos);
  EXPECT_EQ(decoded->size(), 7u);
  EXPECT_EQ(decoded->front(), U'a');
}

TEST(Encodings, AnsiToWide) {
  EXPECT_EQ(web::AnsiToWide("", web::kCodePageGbk), Units({0}));
  EXPECT_EQ(web::AnsiToWide("a", web::kCodePageGbk), Units({u'a', 0}));
  EXPECT_EQ(web::AnsiToWide(kZhongWenGbk, web::kCodePageGbk), Units({0x4E2D, 0x6587, 0}));
  EXPECT_EQ(web::AnsiToWide(kZhongWenGbk, web::kCodePageAnsi), Units({0x4E2D, 0x6587, 0}));
  // Sized from a GBK reading: the three UTF-8 bytes of one character read as GBK give a
  // character and a cut-off byte, so one spare zero unit follows the character.
  EXPECT_EQ(web::AnsiToWide("\xE4\xB8\xAD", web::kCodePageUtf8), Units({0x4E2D, 0, 0}));
  // An unknown code page converts nothing but keeps the size.
  EXPECT_EQ(web::AnsiToWide(kZhongWenGbk, 1234), Units({0, 0, 0}));
}

TEST(Encodings, AnsiToWideGrowsWhenTheRequestedCodePageNeedsMore) {
  // One GBK character, but two UTF-8 readings (an invalid byte and "@"): the "@" must survive.
  const Bytes wide = web::AnsiToWide("\x81\x40", web::kCodePageUtf8);
  const Text back = web::WideToAnsi(wide, web::kCodePageUtf8);
  EXPECT_EQ(back.back(), '@');
  EXPECT_EQ(DecodeUtf8(back)->size(), 2u);
}

TEST(Encodings, WideToAnsi) {
  EXPECT_EQ(web::WideToAnsi(Units({0}), web::kCodePageGbk), "");
  EXPECT_EQ(web::WideToAnsi({}, web::kCodePageGbk), "");
  EXPECT_EQ(web::WideToAnsi(web::AnsiToWide("", web::kCodePageGbk), web::kCodePageUtf8), "");
  EXPECT_EQ(web::WideToAnsi(Units({0x4E2D, 0x6587, 0}), web::kCodePageGbk), kZhongWenGbk);
  EXPECT_EQ(web::WideToAnsi(Units({0x4E2D, 0x6587, 0}), web::kCodePageAnsi), kZhongWenGbk);
  EXPECT_EQ(web::WideToAnsi(Units({0x4E2D, 0x6587, 0}), web::kCodePageUtf8), kZhongWenUtf8);
  // Units after the first zero unit carry nothing; a missing terminator or an odd last byte
  // does not matter.
  EXPECT_EQ(web::WideToAnsi(Units({u'a', 0, u'b', 0}), web::kCodePageUtf8), "a");
  EXPECT_EQ(web::WideToAnsi(Units({u'a', u'b'}), web::kCodePageUtf8), "ab");
  Bytes odd = Units({u'a'});
  odd.push_back(0x62);
  EXPECT_EQ(web::WideToAnsi(odd, web::kCodePageUtf8), "a");
  EXPECT_EQ(web::WideToAnsi(Units({u'a', 0}), 1234), "");
}

TEST(Encodings, UnrepresentableCharactersAreReplaced) {
  // An emoji (a surrogate pair) has no GBK form; a lone surrogate is no character at all.
  const Text gbk = web::WideToAnsi(Units({u'a', 0xD83D, 0xDE00, u'b', 0}), web::kCodePageGbk);
  EXPECT_EQ(gbk.front(), 'a');
  EXPECT_EQ(gbk.back(), 'b');
  EXPECT_GT(gbk.size(), 2u);
  const Text utf8 = web::WideToAnsi(Units({u'a', 0xDC00, u'b', 0}), web::kCodePageUtf8);
  ASSERT_TRUE(DecodeUtf8(utf8).has_value());
  EXPECT_EQ(utf8.front(), 'a');
  EXPECT_EQ(utf8.back(), 'b');
}

struct EncodeCase {
  std::string label;
  Text input;
  bool keepUnreserved;
  bool utf8First;
  Text expected;
};

TEST(Encodings, UrlEncode) {
  const EncodeCase cases[] = {
      {"GBK text as UTF-8", kZhongWenGbk, true, true, "%E4%B8%AD%E6%96%87"},
      {"GBK text as it is", kZhongWenGbk, true, false, "%D6%D0%CE%C4"},
      {"reserved and unreserved bytes", "a b-c.d/e_f~g", true, false, "a%20b-c.d%2Fe%5Ff%7Eg"},
      {"letters and digits encoded when not kept", "Az09", false, false, "%41%7A%30%39"},
      {"leading zero, upper case", "\n", true, false, "%0A"},
      {"leading zero without keeping", "\n", false, true, "%0A"},
      {"empty", "", true, true, ""},
      {"empty without options", "", false, false, ""},
      {"plus and percent", "+%*", true, false, "%2B%25%2A"},
      {"edges of the kept ranges", ",-./09:@AZ[`az{", true, false, "%2C-.%2F09%3A%40AZ%5B%60az%7B"},
      {"highest bytes", "\x7F\x80\xFF", true, false, "%7F%80%FF"},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(web::UrlEncode(c.input, c.keepUnreserved, c.utf8First), c.expected);
  }
}

TEST(Encodings, UrlEncodeEveryByte) {
  for (int b = 1; b < 256; ++b) {
    SCOPED_TRACE(b);
    const Text one(1, static_cast<char>(b));
    const Text encoded = web::UrlEncode(one, false, false);
    char expected[4];
    std::snprintf(expected, sizeof expected, "%%%02X", b);
    EXPECT_EQ(encoded, expected);
    const bool kept = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                      b == '-' || b == '.';
    EXPECT_EQ(web::UrlEncode(one, true, false), kept ? one : encoded);
  }
}

// The hanzi areas of GBK, which every GBK converter must know: GB2312's hanzi (B0A1 to F7FE,
// less D7FA to D7FE) and the two extension areas 8140 to A0FE and AA40 to FDA0.
bool IsGbkHanzi(int lead, int trail) {
  if (trail == 0x7F) return false;
  if (lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE) {
    return !(lead == 0xD7 && trail >= 0xFA);
  }
  if (lead >= 0x81 && lead <= 0xA0 && trail >= 0x40 && trail <= 0xFE) return true;
  return lead >= 0xAA && lead <= 0xFD && trail >= 0x40 && trail <= 0xA0;
}

TEST(Encodings, EveryTwoByteGbkCharacter) {
  // The round trip goes back through the toolkit's own UTF-8-to-GBK helper, so a wrong mapping
  // on either side of the wide text shows up as a different byte pair.
  int converted = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      const Text gbk = {static_cast<char>(lead), static_cast<char>(trail)};
      const Text utf8 = web::GbkToUtf8(gbk);
      const auto decoded = DecodeUtf8(utf8);
      if (!decoded || decoded->empty()) {
        ADD_FAILURE() << std::hex << lead << ' ' << trail << " gives no valid UTF-8";
        continue;
      }
      if (text::Utf8ToGbk(utf8) == gbk) {
        ++converted;
        EXPECT_EQ(decoded->size(), 1u) << std::hex << lead << ' ' << trail;
        EXPECT_GE(decoded->front(), 0x80u) << std::hex << lead << ' ' << trail;
      } else {
        EXPECT_FALSE(IsGbkHanzi(lead, trail)) << std::hex << lead << ' ' << trail;
      }
    }
  }
  // 21003 hanzi and several hundred symbols.
  EXPECT_GE(converted, 21600);
}

TEST(Encodings, LongMixedTextConvertsInFull) {
  std::mt19937 random(121);
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_int_distribution<int> ascii(0x20, 0x7E);
  std::uniform_int_distribution<int> lead(0xB0, 0xD6);
  std::uniform_int_distribution<int> trail(0xA1, 0xFE);
  Text gbk;
  std::size_t characters = 0;
  while (gbk.size() < (std::size_t{1} << 20)) {
    if (kind(random) == 0) {
      gbk += static_cast<char>(ascii(random));
    } else {
      gbk += static_cast<char>(lead(random));
      gbk += static_cast<char>(trail(random));
    }
    ++characters;
  }
  gbk += "\xB0\xA1";  // a two-byte character last, so a cut at the end would show
  ++characters;

  const Text utf8 = web::GbkToUtf8(gbk);
  const auto decoded = DecodeUtf8(utf8);
  ASSERT_TRUE(decoded.has_value());
  EXPECT_EQ(decoded->size(), characters);
  EXPECT_EQ(decoded->back(), U'\u554A');
  EXPECT_TRUE(text::Utf8ToGbk(utf8) == gbk);
}

}  // namespace
