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
#include "web/inet_curl.h"
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

// For requests that may never be answered: they give up instead of hanging the test.
Text FetchGivingUpAfter(const std::string& url, std::chrono::seconds stall) {
  web::CurlInternetClient client(
      {.connectTimeout = std::chrono::seconds(5), .stallTimeout = stall});
  web::WebRequestInput input;
  input.url = url;
  return text::BytesToText(web::WebRequest(input, client).body);
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

// However the stall is switched off, the answers it held back are given as the board now
// answers.
TEST(BoardServerTest, SwitchingTheStallOffAnswersStalledRequests) {
  struct Case {
    const char* name;
    bool throughControlPath;
  };
  for (const Case& test : {Case{"SetFailure", false}, Case{"control path", true}}) {
    SCOPED_TRACE(test.name);
    board_server::ServerOptions options;
    options.topicCount = 3;
    BoardServer server(options);
    ASSERT_TRUE(server.Start());
    server.SetFailure(Failure::kStall);
    const std::string base = server.BaseUrl();
    const std::string page = base + "/forum-121-1.html";
    std::vector<Text> bodies(3);
    std::vector<std::thread> requests;
    for (Text& body : bodies) {
      requests.emplace_back([&] { body = FetchGivingUpAfter(page, std::chrono::seconds(5)); });
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (server.PageRequests() < 3 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(server.PageRequests(), 3);
    if (test.throughControlPath) {
      EXPECT_EQ(FetchGivingUpAfter(base + "/control?fail=none", std::chrono::seconds(5)), "ok\n");
    } else {
      server.SetFailure(Failure::kNone);
    }
    for (std::thread& request : requests) {
      request.join();
    }
    for (const Text& body : bodies) {
      ExpectPageHolds(body, server.Topics(), base);
    }
  }
}

// Requests that gave up on a stall still hold the server's threads until it is switched off;
// more of them than the server has threads must not leave it deaf once it is.
TEST(BoardServerTest, AnswersAgainAfterMoreStallsThanItHasThreads) {
  BoardServer server({});
  ASSERT_TRUE(server.Start());
  server.SetFailure(Failure::kStall);
  const std::string base = server.BaseUrl();
  const std::string page = base + "/forum-121-1.html";
  std::vector<std::thread> requests;
  for (int i = 0; i < 12; ++i) {
    requests.emplace_back([&] { FetchGivingUpAfter(page, std::chrono::seconds(1)); });
  }
  for (std::thread& request : requests) {
    request.join();
  }
  server.SetFailure(Failure::kNone);
  EXPECT_EQ(FetchGivingUpAfter(base + "/control?add=1", std::chrono::seconds(5)), "ok\n");
  ExpectPageHolds(FetchGivingUpAfter(page, std::chrono::seconds(5)), server.Topics(), base);
}

// The connection closes halfway through the page's head, or halfway through a page without a
// topic table, so the client always gets a cut head of the page.
TEST(BoardServerTest, DropCutsAnyPageShort) {
  struct Case {
    const char* name;
    Text page;
  };
  const Case cases[] = {
      {"page with a topic table",
       "<html><head><title>board</title></head><body><table><tbody>"
       "<tr><td>1</td></tr></tbody></table></body></html>"},
      {"page without a topic table", board_server::MaintenancePageHtml()},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    board_server::ServerOptions options;
    options.fixedPage = test.page;
    BoardServer server(options);
    ASSERT_TRUE(server.Start());
    server.SetFailure(Failure::kDropMidBody);
    const Text dropped =
        FetchGivingUpAfter(server.BaseUrl() + "/forum-121-1.html", std::chrono::seconds(5));
    EXPECT_FALSE(dropped.empty());
    EXPECT_LT(dropped.size(), test.page.size());
    EXPECT_EQ(test.page.rfind(dropped, 0), 0u) << "the head of the page, cut";
  }
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
