#include "monitor/topics.h"

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "monitor/forum_settings.h"
#include "text/code_page.h"

namespace {

using monitor::ExtractTopics;
using monitor::ParseTopicPiece;
using monitor::SplitTopicPieces;
using monitor::TopicEntry;
using text::Text;
using text::TextArray;

const Text kBase = "https://bbs.lumeth.example";

std::string ReadFixture(const std::string& name) {
  std::ifstream in(std::string(BW_FIXTURES_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The fixture's JSON is UTF-8; the page and every TopicEntry are GBK.
std::vector<TopicEntry> ExpectedFixtureTopics(const Text& base) {
  const nlohmann::json topics = nlohmann::json::parse(ReadFixture("board-121.json"));
  std::vector<TopicEntry> expected;
  for (const nlohmann::json& topic : topics) {
    Text link = text::Utf8ToGbk(topic.at("link").get<std::string>());
    EXPECT_EQ(link.rfind(kBase, 0), 0u) << link;
    link.replace(0, kBase.size(), base);
    expected.push_back({text::Utf8ToGbk(topic.at("id").get<std::string>()),
                        text::Utf8ToGbk(topic.at("title").get<std::string>()),
                        text::Utf8ToGbk(topic.at("postedTime").get<std::string>()), link});
  }
  return expected;
}

MATCHER_P(EqualsTopic, expected, "") {
  return arg.id == expected.id && arg.title == expected.title &&
         arg.postedTime == expected.postedTime && arg.link == expected.link;
}

void ExpectTopics(const std::vector<TopicEntry>& actual, const std::vector<TopicEntry>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("topic " + std::to_string(i + 1) + " id " + expected[i].id);
    EXPECT_EQ(actual[i].id, expected[i].id);
    EXPECT_EQ(actual[i].title, expected[i].title);
    EXPECT_EQ(actual[i].postedTime, expected[i].postedTime);
    EXPECT_EQ(actual[i].link, expected[i].link);
  }
}

TEST(ExtractTopicsTest, FixturePageGivesTheThirtyTopicsOfItsJson) {
  const std::vector<TopicEntry> expected = ExpectedFixtureTopics(kBase);
  ASSERT_EQ(expected.size(), 30u);
  ExpectTopics(ExtractTopics(ReadFixture("board-121.html"), kBase), expected);
}

TEST(ExtractTopicsTest, LinksFollowTheGivenBaseUrl) {
  for (const Text& base : {Text("http://127.0.0.1:8443"), Text(monitor::kForumBaseUrl)}) {
    SCOPED_TRACE(base);
    ExpectTopics(ExtractTopics(ReadFixture("board-121.html"), base), ExpectedFixtureTopics(base));
  }
}

TEST(ExtractTopicsTest, PageWithoutTopicsGivesOneEmptyEntry) {
  for (const Text& page : {Text(), Text("<html><body>maintenance</body></html>")}) {
    SCOPED_TRACE(page);
    const std::vector<TopicEntry> topics = ExtractTopics(page, kBase);
    ASSERT_EQ(topics.size(), 1u);
    EXPECT_THAT(topics[0], EqualsTopic(TopicEntry{"", "", "", kBase}));
  }
}

struct SplitCase {
  const char* name;
  Text page;
  TextArray pieces;
};

TEST(SplitTopicPiecesTest, CutsAtEveryMarkerThatStartsACharacter) {
  // 0xB0 opens a two-byte character whose second byte is the marker's quote, so the
  // marker there starts inside a character and must not be found.
  const Text lead = "\xB0";
  const Text chinese = text::Utf8ToGbk("软件");
  const std::vector<SplitCase> cases = {
      {"empty page", "", {""}},
      {"no marker", "<tbody id=\"stickthread_902\">x</tbody>", {""}},
      {"one marker runs to the end",
       "head<tbody id=\"normalthread_1\">a</tbody>foot",
       {"\"normalthread_1\">a</tbody>foot"}},
      {"marker at the first byte", "\"normalthread_1\"x", {"\"normalthread_1\"x"}},
      {"three markers",
       "head \"normalthread_1 a \"normalthread_2 b \"normalthread_3 c",
       {"\"normalthread_1 a ", "\"normalthread_2 b ", "\"normalthread_3 c"}},
      {"adjacent markers",
       "\"normalthread_\"normalthread_",
       {"\"normalthread_", "\"normalthread_"}},
      {"marker in other case", "x \"Normalthread_1 \"NORMALTHREAD_2", {""}},
      {"marker without its quote", "x normalthread_1 'normalthread_2", {""}},
      {"marker inside a two-byte character", lead + "\"normalthread_1", {""}},
      {"marker after whole two-byte characters",
       chinese + lead + lead + "\"normalthread_1",
       {"\"normalthread_1"}},
      {"second marker inside a two-byte character",
       "\"normalthread_1 " + lead + "\"normalthread_2",
       {"\"normalthread_1 " + lead + "\"normalthread_2"}},
  };
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitTopicPieces(c.page), c.pieces);
  }
}

TEST(SplitTopicPiecesTest, PiecesJoinToThePageFromTheFirstMarker) {
  const Text page = ReadFixture("board-121.html");
  const TextArray pieces = SplitTopicPieces(page);
  ASSERT_EQ(pieces.size(), 30u);
  Text joined;
  for (const Text& piece : pieces) {
    EXPECT_EQ(piece.rfind("\"normalthread_", 0), 0u);
    joined += piece;
  }
  EXPECT_EQ(joined, page.substr(page.find("\"normalthread_")));
}

// A piece shaped like the forum's, with each field's markup replaceable.
struct PieceParts {
  Text idPart = "<a onclick=\"CONTENT_TID='7';CONTENT_ID='normalthread_7';show()\"></a>\n";
  Text linkAndTitle =
      "<em>[<a href=\"f.php\">t</a>]</em> <a href=\"./thread-7-1-1.html\" "
      "onclick=\"atarget(this)\" class=\"s xst\">Title 7</a>\n";
  Text timePart = "<em><span><span title=\"2016-5-4\">6&nbsp;d</span></span></em>\n";

  Text Build() const { return "\"normalthread_7\">\n" + idPart + linkAndTitle + timePart; }
};

struct ParseCase {
  const char* name;
  PieceParts parts;
  TopicEntry expected;
};

TEST(ParseTopicPieceTest, CutsEachFieldBetweenItsMarkers) {
  const Text link = kBase + "/thread-7-1-1.html";
  const Text lead = "\xB0";  // opens a two-byte character, see SplitTopicPiecesTest
  const Text days = text::Utf8ToGbk("天前");
  const Text title = text::Utf8ToGbk("Ez便携播放器 v10.5 安全卫士 ①");
  std::vector<ParseCase> cases;
  auto add = [&cases](const char* name, TopicEntry expected, auto change) {
    ParseCase c{name, {}, std::move(expected)};
    change(c.parts);
    cases.push_back(std::move(c));
  };
  add("well formed", {"7", "Title 7", "6d", link}, [](PieceParts&) {});
  add("id left marker missing", {"", "Title 7", "6d", link},
      [](PieceParts& p) { p.idPart = "<a onclick=\"CONTENT_ID='normalthread_7'\"></a>"; });
  add("id right marker only before the left one", {"", "Title 7", "6d", link},
      [](PieceParts& p) { p.idPart = "<a x=\"';CONTENT_ID=\" onclick=\"CONTENT_TID='7'\"></a>"; });
  add("id is text, not a number", {"007x", "Title 7", "6d", link},
      [](PieceParts& p) { p.idPart = "onclick=\"CONTENT_TID='007x';CONTENT_ID='n'"; });
  add("title keeps its entity and its GBK bytes", {"7", title + " &amp; x", "6d", link},
      [&](PieceParts& p) {
        p.linkAndTitle =
            "</em> <a href=\"./thread-7-1-1.html\" onclick=\"atarget(this)\" "
            "class=\"s xst\">" +
            title + " &amp; x</a>";
      });
  add("title end marker inside a two-byte character is skipped",
      {"7", "a" + lead + "</a>b", "6d", link}, [&](PieceParts& p) {
        p.linkAndTitle =
            "</em> <a href=\"./thread-7-1-1.html\" onclick=\"atarget(this)\" "
            "class=\"s xst\">a" +
            lead + "</a>b</a>";
      });
  add("title without end marker", {"7", "", "6d", link}, [](PieceParts& p) {
    p.linkAndTitle =
        "</em> <a href=\"./thread-7-1-1.html\" onclick=\"atarget(this)\" "
        "class=\"s xst\">Title 7";
  });
  add("link left marker missing", {"7", "Title 7", "6d", kBase}, [](PieceParts& p) {
    p.linkAndTitle =
        "<em>t</em><a href=\"./thread-7-1-1.html\" onclick=\"atarget(this)\" "
        "class=\"s xst\">Title 7</a>";
  });
  add("link without its leading dot", {"7", "Title 7", "6d", kBase}, [](PieceParts& p) {
    p.linkAndTitle =
        "</em> <a href=\"thread-7-1-1.html\" onclick=\"atarget(this)\" "
        "class=\"s xst\">Title 7</a>";
  });
  add("time: text after the first quote-bracket only", {"7", "Title 7", "5-4\">1" + days, link},
      [&](PieceParts& p) {
        p.timePart = "<span title=\"2016\">5-4\">1&nbsp;" + days + "</span></span></em>";
      });
  add("time without quote-bracket stays whole less its nbsp", {"7", "Title 7", "6" + days, link},
      [&](PieceParts& p) {
        p.timePart = "<span title=\"&nbsp;6&nbsp;" + days + "&nbsp;</span></span></em>";
      });
  add("time ending with quote-bracket is empty", {"7", "Title 7", "", link},
      [](PieceParts& p) { p.timePart = "<span title=\"2016-5-4\"></span></span></em>"; });
  add("time keeps nbsp written in capitals", {"7", "Title 7", "1&NBSP;d&Nbsp;", link},
      [](PieceParts& p) {
        p.timePart = "<span title=\"x\">1&NBSP;d&nbsp;&Nbsp;</span></span></em>";
      });
  add("time without its end marker", {"7", "Title 7", "", link},
      [](PieceParts& p) { p.timePart = "<em><span>2016-4-17</span></em>"; });
  add("time end marker only before its start", {"7", "Title 7", "", link},
      [](PieceParts& p) { p.timePart = "</span></span></em><span title=\"x\">6 d</span></em>"; });

  for (const ParseCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_THAT(ParseTopicPiece(c.parts.Build(), kBase), EqualsTopic(c.expected));
  }
}

TEST(ParseTopicPieceTest, EmptyPieceGivesTheBaseUrlAlone) {
  EXPECT_THAT(ParseTopicPiece("", kBase), EqualsTopic(TopicEntry{"", "", "", kBase}));
  EXPECT_THAT(ParseTopicPiece("", ""), EqualsTopic(TopicEntry{"", "", "", ""}));
}

}  // namespace
