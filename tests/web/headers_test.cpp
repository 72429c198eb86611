#include "web/headers.h"

#include <gtest/gtest.h>

#include <string>

#include "text/code_page.h"

namespace {

using text::Text;

struct Case {
  std::string label;
  Text input;
  Text expected;
};

TEST(Headers, NormalizeHeaderNames) {
  const Case cases[] = {
      {"empty", "", ""},
      {"one word", "accept: */*", "Accept: */*"},
      {"no blank is added", "user-agent:A", "User-Agent:A"},
      {"every dash-separated word", "x-requested-with: a", "X-Requested-With: a"},
      {"only first bytes change", "content-TYPE: a", "Content-TYPE: a"},
      {"capitals stay", "USER-AGENT: a", "USER-AGENT: a"},
      {"blank line dropped, no break at the end", "a: 1\r\n\r\nb: 2\r\n", "A: 1\r\nB: 2"},
      {"line without a colon dropped", "no colon\r\nk: v", "K: v"},
      {"only line without a colon", "no colon\r\n", ""},
      {"empty name", ": v", ": v"},
      {"name ends at the first colon", "a:b: c", "A:b: c"},
      {"name ending in a dash keeps it", "x-: v", "X-: v"},
      {"name of dashes only", "--: v", "--: v"},
      {"empty words between dashes", "a--b: v", "A--B: v"},
      {"leading dash", "-a: v", "-A: v"},
      {"leading blank is the first byte", " accept: v", " accept: v"},
      {"values untouched", "cookie: a=b; c-d=e\r\nhost: x", "Cookie: a=b; c-d=e\r\nHost: x"},
      {"lone line feeds do not split lines", "a: 1\nb: 2", "A: 1\nb: 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(web::NormalizeHeaderNames(c.input), c.expected);
  }
}

TEST(Headers, NormalizeLeavesTwoByteCharactersWhole) {
  // A two-byte character whose second byte is a letter or a dash must not be touched or split.
  const Text name = text::Utf8ToGbk("名");
  EXPECT_EQ(web::NormalizeHeaderNames(name + "-x: v"), name + "-X: v");
  EXPECT_EQ(web::NormalizeHeaderNames("\x81-a: v"), "\x81-a: v");
  EXPECT_EQ(web::NormalizeHeaderNames("\x81"
                                      "a-b: v"),
            "\x81"
            "a-B: v");
}

TEST(Headers, CapitalizeFirst) {
  const Case cases[] = {
      {"empty", "", ""},
      {"letter", "abc", "Abc"},
      {"capital", "Abc", "Abc"},
      {"digit", "1bc", "1bc"},
      {"single letter", "z", "Z"},
      {"first byte of a two-byte character",
       "\xB0"
       "a",
       "\xB0"
       "a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(web::CapitalizeFirst(c.input), c.expected);
  }
}

TEST(Headers, ValueAfterColon) {
  const Case cases[] = {
      {"blanks around the value", "Name:  value  ", "value"},
      {"only the first colon splits", "a: b: c", "b: c"},
      {"no colon", "no colon", ""},
      {"nothing after the colon", "Name:", ""},
      {"tabs stay", "Name:\tv\t", "\tv\t"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(web::ValueAfterColon(c.input), c.expected);
  }
}

}  // namespace
