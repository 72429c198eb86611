#include "text/code_page.h"

#include <gtest/gtest.h>

#include <string>

namespace text {
namespace {

using namespace std::string_literals;

struct ConvertCase {
  const char* name;
  std::string input;
  const char* from;
  const char* to;
  std::string expected;
};

TEST(ConvertCodePageTest, Table) {
  const ConvertCase cases[] = {
      {"GBK to UTF-8", "\xD6\xD0\xCE\xC4", "CP936", "UTF-8", "\xE4\xB8\xAD\xE6\x96\x87"},
      {"UTF-8 to GBK", "\xE4\xB8\xAD\xE6\x96\x87", "UTF-8", "CP936", "\xD6\xD0\xCE\xC4"},
      {"GBK to UTF-16LE", "a\xD6\xD0", "CP936", "UTF-16LE", "a\0\x2D\x4E"s},
      {"UTF-16LE to GBK", "a\0\x2D\x4E"s, "UTF-16LE", "CP936", "a\xD6\xD0"},
      {"ASCII unchanged", "plain text", "CP936", "UTF-8", "plain text"},
      {"empty", "", "CP936", "UTF-8", ""},
      {"invalid GBK pair",
       "a\x81\x20"
       "b",
       "CP936", "UTF-8", "a? b"},
      {"cut-off GBK byte at the end", "a\xB0", "CP936", "UTF-8", "a?"},
      {"invalid UTF-8 byte",
       "a\xFF"
       "b",
       "UTF-8", "CP936", "a?b"},
      {"character GBK lacks, unit by unit",
       "a\xF0\x9F\x98\x80"
       "b",
       "UTF-8", "CP936", "a????b"},
      {"question mark in the target encoding", "\xFF", "UTF-8", "UTF-16LE", "?\0"s},
      {"lone surrogate is one unit",
       "\x00\xD8"
       "a\0"s,
       "UTF-16LE", "UTF-8", "?a"},
      {"unknown source", "abc", "NO-SUCH-CODE", "UTF-8", ""},
      {"unknown target", "abc", "UTF-8", "NO-SUCH-CODE", ""},
  };
  for (const ConvertCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ConvertCodePage(c.input, c.from, c.to), c.expected);
  }
}

TEST(ConvertCodePageTest, LongInputsConvertWhole) {
  const std::string invalid(1 << 17, '\xFF');
  EXPECT_EQ(ConvertCodePage(invalid, "UTF-8", "CP936"), std::string(invalid.size(), '?'));
  std::string gbk;
  std::string utf8;
  for (int i = 0; i < 50000; ++i) {
    gbk +=
        "\xD6\xD0"
        "a";
    utf8 +=
        "\xE4\xB8\xAD"
        "a";
  }
  EXPECT_EQ(ConvertCodePage(gbk, "CP936", "UTF-8"), utf8);
  EXPECT_EQ(ConvertCodePage(utf8, "UTF-8", "UTF-32LE").size(), gbk.size() / 3 * 8);
}

TEST(GbkUtf8Test, RoundTrip) {
  EXPECT_EQ(Utf8ToGbk("软件id.txt"),
            "\xC8\xED\xBC\xFE"
            "id.txt");
  EXPECT_EQ(GbkToUtf8("\xC8\xED\xBC\xFE"
                      "id.txt"),
            "软件id.txt");
  EXPECT_EQ(GbkToUtf8(Utf8ToGbk("现在有新软件帖子")), "现在有新软件帖子");
  EXPECT_EQ(Utf8ToGbk("a\0b"s), "a");  // a Text holds no zero byte
}

}  // namespace
}  // namespace text
