// Checks started together, as overlapping timer ticks and clicks start them.
#include <chrono>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "monitor/board_check.h"
#include "monitor/topics.h"
#include "tests/monitor/board_server_process.h"
#include "tests/monitor/recording_host.h"
#include "text/code_page.h"
#include "web/web_request.h"

namespace {

using monitor_test::BoardServerProcess;
using monitor_test::RecordingHost;
using text::Text;

std::string MakeTempDir() {
  std::string dir = (std::filesystem::temp_directory_path() / "bw_concurrent_XXXXXX").string();
  return mkdtemp(dir.data()) != nullptr ? dir : std::string();
}

Text Fetch(const std::string& url) {
  web::WebRequestInput input;
  input.url = url;
  return text::BytesToText(web::WebRequest(input).body);
}

// The board runs as its own program, so the only threads in this process are the checks'.
TEST(BoardCheckConcurrencyTest, EachCheckFillsTheRowsItInserted) {
  BoardServerProcess board({"--port", "0", "--topics", "6", "--cert",
                            BW_TEST_CERT_DIR "/server.crt", "--key",
                            BW_TEST_CERT_DIR "/server.key"});
  ASSERT_FALSE(board.BaseUrl().empty());
  const monitor::BoardSite site{board.BaseUrl(), MakeTempDir()};
  const std::string page = board.BaseUrl() + "/forum-121-1.html";
  // The old first topic is stored; five new ones have come since.
  const std::vector<monitor::TopicEntry> old =
      monitor::ExtractTopics(Fetch(page), site.forumBaseUrl);
  ASSERT_EQ(old.size(), 6u);
  std::ofstream(site.idFileDirectory + "/软件id.txt", std::ios::binary) << old[0].id;
  ASSERT_EQ(Fetch(board.BaseUrl() + "/control?add=5"), "ok\n");
  std::map<Text, monitor::TopicEntry> byLink;
  for (const monitor::TopicEntry& topic : monitor::ExtractTopics(Fetch(page), site.forumBaseUrl)) {
    byLink[topic.link] = topic;
  }
  ASSERT_EQ(byLink.size(), 11u);

  // Outlives the checks' threads, which are detached and may still be returning when the test
  // has seen their last call; a fresh one for every run of the test.
  static std::deque<RecordingHost> hosts;
  RecordingHost& host = hosts.emplace_back();
  host.SetPauseSleep(std::chrono::milliseconds(2));
  constexpr int kChecks = 4;
  // No check gets past its first row, and so none stores an id, before all have read the stored
  // one: each announces all five topics. Each fills its first row only once every check has
  // inserted one and reached its own first cell.
  host.MeetAtRows(kChecks, std::chrono::seconds(30));
  for (int i = 0; i < kChecks; ++i) {
    monitor::StartBoardCheck(site, host);
  }
  // Every check ends on the stored topic or on the id that an earlier announcement stored.
  ASSERT_TRUE(host.WaitForLog(text::Utf8ToGbk("现在 已经是最新帖子\r\n"), kChecks,
                              std::chrono::seconds(60)));

  const std::vector<RecordingHost::Row> rows = host.Rows();
  EXPECT_EQ(rows.size(), kChecks * 5u);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i));
    const auto topic = byLink.find(rows[i].link);
    ASSERT_NE(topic, byLink.end()) << text::GbkToUtf8(rows[i].link);
    EXPECT_EQ(rows[i].title, topic->second.title);
    EXPECT_EQ(rows[i].postedTime, topic->second.postedTime);
  }
  std::filesystem::remove_all(site.idFileDirectory);
}

}  // namespace
