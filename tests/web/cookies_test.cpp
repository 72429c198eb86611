#include "web/cookies.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using text::Text;
using text::TextArray;

struct CollectCase {
  std::string label;
  Text raw;
  Text expected;
};

TEST(Cookies, CollectSetCookies) {
  const CollectCase cases[] = {
      {"attributes dropped, other headers skipped",
       "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/; HttpOnly\r\nContent-Type: text/html\r\n"
       "Set-Cookie: b=2\r\n\r\n",
       "a=1; b=2"},
      {"no Set-Cookie line", "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", ""},
      {"other case, no blank, longer name",
       "set-cookie: a=1\r\nSet-Cookie:a=1\r\nX-Set-Cookie: a=1\r\n", ""},
      {"duplicates stay at this stage", "Set-Cookie: a=1\r\nSet-Cookie: a=1\r\n", "a=1; a=1"},
      {"blanks around a cookie without attributes", "Set-Cookie:   c=3   \r\n", "c=3"},
      {"nothing but blanks before the first semicolon", "Set-Cookie: a=1\r\nSet-Cookie:   ; x\r\n",
       "a=1; "},
      {"empty text", "", ""},
      {"status line only", "HTTP/1.1 204 No Content", ""},
      {"value holding a colon and blank", "Set-Cookie: t=a: b; Path=/", "t=a: b"},
  };
  for (const CollectCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(web::CollectSetCookies(c.raw), c.expected);
  }
}

struct MergeCase {
  std::string label;
  Text sent;
  Text received;
  Text expected;
};

TEST(Cookies, MergeCookies) {
  const MergeCase cases[] = {
      {"received first, then the sent ones not received", "a=1; b=2", "b=3; c=4", "b=3; c=4; a=1"},
      {"deleted cookie removes the sent one", "a=1; b=2", "a=deleted", "b=2"},
      {"deleted only cookie", "a=1", "a=deleted", ""},
      {"repeated received items kept once", "", "x=1; x=1; y=2", "x=1; y=2"},
      {"first of several sent items with one name", "a=1; a=2", "", "a=1"},
      {"final semicolon completes a separator", "a=1;", "b=2;", "b=2; a=1"},
      {"semicolon without blank does not separate", "a=1;b=2", "", "a=1;b=2"},
      {"deleted test is case-sensitive", "a=1", "a=DELETED", "a=DELETED"},
      {"both empty", "", "", ""},
      {"blanks around both texts", "  a=1  ", " b=2 ", "b=2; a=1"},
      {"names are trimmed", "a=1", "b=1;  a=2", "b=1;  a=2"},
      {"deleted in the sent text", "a=deleted; b=1", "", "b=1"},
  };
  for (const MergeCase& c : cases) {
    SCOPED_TRACE(c.label);
    Text sent = c.sent;
    Text received = c.received;
    EXPECT_EQ(web::MergeCookies(sent, received), c.expected);
    EXPECT_EQ(sent, c.expected);
  }
}

TEST(Cookies, MergeLeavesReceivedTrimmed) {
  Text sent = "a=1";
  Text received = "  b=2;  ";
  web::MergeCookies(sent, received);
  EXPECT_EQ(received, "b=2; ");
}

TEST(Cookies, CookieNameAndHasCookie) {
  EXPECT_EQ(web::CookieName(" sid =abc"), "sid");
  EXPECT_EQ(web::CookieName("flag"), "flag");
  EXPECT_EQ(web::CookieName("=abc"), "");
  EXPECT_EQ(web::CookieName(" flag "), "flag");

  const TextArray items = {"a=1", " b =2", "flag"};
  EXPECT_TRUE(web::HasCookie(items, "b"));
  EXPECT_TRUE(web::HasCookie(items, "flag"));
  EXPECT_FALSE(web::HasCookie(items, "B"));
  EXPECT_FALSE(web::HasCookie(items, "a=1"));
  EXPECT_FALSE(web::HasCookie({}, ""));
}

}  // namespace
