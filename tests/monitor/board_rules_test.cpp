#include "monitor/board_rules.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "text/code_page.h"

namespace {

TEST(IsForumAddressTest, OpensOnlyAddressesOnTheForum) {
  const text::Text base = "https://bbs.lumeth.example";
  struct Case {
    const char* name;
    text::Text address;
    bool opened;
  };
  const std::vector<Case> cases = {
      {"the base itself", base, true},
      {"a topic", base + "/thread-503026-1-1.html", true},
      {"query and fragment", base + "/forum.php?mod=viewthread&tid=1#top", true},
      {"GBK bytes in the path", base + "/" + text::Utf8ToGbk("软件") + ".html", true},
      {"the base followed by a slash only", base + "/", true},
      {"empty", "", false},
      {"another host", "https://evil.example/thread-1.html", false},
      {"user info after the base", base + "@evil.example/", false},
      {"longer host name", base + ".evil.example/", false},
      {"port after the base", base + ":8443/thread.html", false},
      {"at sign in the path", base + "/a@b", false},
      {"backslash in the path", base + "/a\\b", false},
      {"blank in the path", base + "/a b", false},
      {"control byte in the path", base + "/a\tb", false},
      {"line break in the path", base + "/a\r\nb", false},
      {"base in other case", "HTTPS://BBS.LUMETH.EXAMPLE/thread.html", false},
      {"base shortened", "https://bbs.lumeth.exampl", false},
      {"no scheme", "bbs.lumeth.example/thread.html", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(monitor::IsForumAddress(c.address, base), c.opened);
  }
  EXPECT_FALSE(monitor::IsForumAddress("", ""));
  EXPECT_FALSE(monitor::IsForumAddress("/thread.html", ""));
}

}  // namespace
