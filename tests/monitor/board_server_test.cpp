#include "tools/board_server/board_server.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "monitor/topics.h"
#include "tests/monitor/board_server_process.h"
#include "text/code_page.h"
#include "web/web_request.h"

namespace {

using board_server::BoardServer;
using board_server::BoardTopic;
using board_server::Failure;
using text::Text;

Text Fetch(const std::string& url) {
  web::WebRequestInput input;
  input.url = url;
  return text::BytesToText(web::WebRequest(input).body);
}

void ExpectPageHolds(const Text& page, const std::vector<BoardTopic>& topics, const Text& base) {
  const std::vector<monitor::TopicEntry> entries = monitor::ExtractTopics(page, base);
  ASSERT_EQ(entries.size(), topics.size());
  for (std::size_t i = 0; i < topics.size(); ++i) {
    SCOPED_TRACE(topics[i].id);
    EXPECT_EQ(entries[i].id, topics[i].id);
    EXPECT_EQ(entries[i].title, topics[i].title);
    EXPECT_EQ(entries[i].postedTime, topics[i].postedTime);
    EXPECT_EQ(entries[i].link, base + topics[i].address);
  }
}

TEST(BoardPageTest, GeneratedPageReadsBackAsItsTopics) {
  std::vector<BoardTopic> topics;
  for (int serial = 1; serial <= 12; ++serial) {
    topics.push_back(board_server::MakeTopic(serial));
  }
  // Braces that look like the page's own placeholders must come out as written.
  topics.push_back({"7", text::Utf8ToGbk("标题 {id} {title} {time}"), "12", "/{address}.html"});
  const Text page = board_server::BoardPageHtml(topics);
  EXPECT_EQ(page.find('\0'), Text::npos);
  EXPECT_NE(page.find(text::Utf8ToGbk("软件发布 - Lumeth论坛")), Text::npos);
  ExpectPageHolds(page, topics, "https://bbs.lumeth.example");
}

TEST(BoardServerTest, ServesTheBoardAndObeysItsControlPath) {
  board_server::ServerOptions options;
  options.topicCount = 4;
  BoardServer server(options);
  ASSERT_TRUE(server.Start());
  const std::string base = server.BaseUrl();
  const std::string page = base + "/forum-121-1.html";
  ExpectPageHolds(Fetch(page), server.Topics(), base);

  EXPECT_EQ(Fetch(base + "/control?add=2"), "ok\n");
  const std::vector<BoardTopic> topics = server.Topics();
  ASSERT_EQ(topics.size(), 6u);
  EXPECT_GT(std::stoi(topics[0].id), std::stoi(topics[2].id)) << "newest first";
  ExpectPageHolds(Fetch(page), topics, base);

  EXPECT_EQ(Fetch(base + "/control?fail=500"), "ok\n");
  EXPECT_EQ(Fetch(page), board_server::ServerErrorPageHtml());
  EXPECT_EQ(Fetch(base + "/control?fail=empty"), "ok\n");
  EXPECT_EQ(Fetch(page), "");
  EXPECT_EQ(Fetch(base + "/control?fail=nomarkers"), "ok\n");
  EXPECT_EQ(Fetch(page), board_server::MaintenancePageHtml());
  EXPECT_EQ(Fetch(base + "/control?fail=drop"), "ok\n");
  const Text dropped = Fetch(page);
  const Text whole = board_server::BoardPageHtml(server.Topics());
  EXPECT_FALSE(dropped.empty());
  EXPECT_LT(dropped.size(), whole.size() / 2);
  EXPECT_EQ(whole.rfind(dropped, 0), 0u) << "the head of the page, cut";

  EXPECT_EQ(Fetch(base + "/control?fail=none&topics=3"), "ok\n");
  ExpectPageHolds(Fetch(page), server.Topics(), base);
  EXPECT_EQ(server.Topics().size(), 3u);
  for (const char* bad : {"", "?add=-1", "?add=x", "?fail=slow", "?topics=3&what=1"}) {
    SCOPED_TRACE(bad);
    EXPECT_EQ(Fetch(base + "/control" + bad).rfind("usage:", 0), 0u);
  }
  EXPECT_EQ(server.Topics().size(), 3u);
  EXPECT_EQ(server.PageRequests(), 7);
}

TEST(BoardServerTest, StopEndsAStalledAnswer) {
  BoardServer server({});
  ASSERT_TRUE(server.Start());
  server.SetFailure(Failure::kStall);
  Text body = "unset";
  std::thread request([&] { body = Fetch(server.BaseUrl() + "/forum-121-1.html"); });
  while (server.PageRequests() == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  server.Stop();
  request.join();
  EXPECT_EQ(body, "");
}

TEST(BoardServerTest, AddsTopicsOnItsOwnWhenAsked) {
  board_server::ServerOptions options;
  options.topicCount = 2;
  options.addEverySeconds = 1;
  BoardServer server(options);
  ASSERT_TRUE(server.Start());
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (server.Topics().size() < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_GE(server.Topics().size(), 3u);
  // More may come while the page travels; the page lists them newest first all the same.
  const std::string base = server.BaseUrl();
  const std::vector<monitor::TopicEntry> entries =
      monitor::ExtractTopics(Fetch(base + "/forum-121-1.html"), base);
  ASSERT_GE(entries.size(), 3u);
  for (std::size_t i = 1; i < entries.size(); ++i) {
    EXPECT_GT(std::stoi(entries[i - 1].id), std::stoi(entries[i].id));
  }
}

// The program, as the demo starts it: it prints its address and serves until SIGTERM.
TEST(BoardServerProgramTest, ServesOnThePortItPrints) {
  monitor_test::BoardServerProcess program({"--port", "0", "--topics", "5", "--cert",
                                            BW_TEST_CERT_DIR "/server.crt", "--key",
                                            BW_TEST_CERT_DIR "/server.key"});
  const Text base = program.BaseUrl();
  EXPECT_EQ(base.rfind("https://127.0.0.1:", 0), 0u) << base;
  const std::vector<monitor::TopicEntry> entries =
      monitor::ExtractTopics(Fetch(base + "/forum-121-1.html"), base);
  EXPECT_EQ(entries.size(), 5u);
  const int status = program.Stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(BoardServerProgramTest, RejectsUnknownArguments) {
  for (const std::vector<std::string>& given : {std::vector<std::string>{"--port", "x"},
                                                {"--cert", "a.crt"},
                                                {"--topics"},
                                                {"--speed", "2"},
                                                {"--page", "/nonexistent/page.html"}}) {
    std::string command = BW_BOARD_SERVER_PROGRAM;
    for (const std::string& arg : given) {
      command += " " + arg;
    }
    SCOPED_TRACE(command);
    const int status = std::system((command + " 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2) << status;
  }
}

}  // namespace
