#include "monitor/board_check.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/monitor/recording_host.h"
#include "text/code_page.h"
#include "tools/board_server/board_server.h"

namespace {

using board_server::BoardServer;
using board_server::BoardTopic;
using board_server::Failure;
using monitor_test::HostCall;
using monitor_test::RecordingHost;
using text::Text;

struct Words {
  Text refreshing = text::Utf8ToGbk("现在 刷新\r\n");
  Text upToDate = text::Utf8ToGbk("现在 已经是最新帖子\r\n");
  Text writingId = text::Utf8ToGbk("现在 写第一个id到软件id.txt\r\n");
  Text readFailed = text::Utf8ToGbk("现在 读取帖子列表失败\r\n");
  Text writeFailed = text::Utf8ToGbk("现在 写入软件id.txt失败\r\n");
  Text caption = text::Utf8ToGbk("现在有新软件帖子");
  Text question = text::Utf8ToGbk("\r\n\r\n 确定打开网址？");
};

const Words& W() {
  static const Words words;
  return words;
}

struct Announcement {
  bool answer = true;
  bool opened = true;
  int period = 120000;
  bool writeFails = false;
  bool watchedBoard = true;
};

// The calls one announced topic makes, in order.
void ExpectAnnouncement(std::vector<HostCall>& calls, const BoardTopic& topic, int row,
                        const Text& base, const Announcement& how) {
  const Text link = base + topic.address;
  calls.push_back({"InsertRow", row, 0, {}, {}});
  calls.push_back({"SetCell", row, 0, topic.title, {}});
  calls.push_back({"SetCell", row, 1, topic.postedTime, {}});
  calls.push_back({"SetCell", row, 2, link, {}});
  calls.push_back({"Pause", 1000, 0, {}, {}});
  if (how.watchedBoard) {
    calls.push_back({"AppendLog", 0, 0, W().writingId, {}});
  }
  if (how.writeFails) {
    calls.push_back({"AppendLog", 0, 0, W().writeFailed, {}});
  }
  calls.push_back({"SetTimerPeriod", 0, 0, {}, {}});
  calls.push_back(
      {"AskToOpen", 0, 0, topic.title + W().question, how.watchedBoard ? W().caption : Text()});
  if (how.answer && how.opened) {
    calls.push_back({"OpenAddress", 0, 0, link, {}});
  }
  calls.push_back({"ReadInterval", 0, 0, {}, {}});
  calls.push_back({"SetTimerPeriod", how.period, 0, {}, {}});
}

HostCall Log(const Text& line) { return {"AppendLog", 0, 0, line, {}}; }

// The board over HTTPS with a certificate for another host name, shared by the tests of this
// program; each test resets its topics and failure mode.
class BoardCheckTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    board_server::ServerOptions options;
    options.certFile = BW_TEST_CERT_DIR "/server.crt";
    options.keyFile = BW_TEST_CERT_DIR "/server.key";
    server_ = new BoardServer(options);
    ASSERT_TRUE(server_->Start());
  }

  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }

  void SetUp() override {
    ASSERT_NE(server_, nullptr);
    server_->ResetTopics(30);
    server_->SetFailure(Failure::kNone);
    std::string pattern = (std::filesystem::temp_directory_path() / "bw_check_XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    site_ = {server_->BaseUrl(), dir_};
    host_.WatchFile(IdFilePath());
  }

  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The id file as the file system names it: the GBK name the check uses, in UTF-8.
  std::string IdFilePath() const { return dir_ + "/软件id.txt"; }

  void WriteIdFile(const std::string& content) const {
    std::ofstream(IdFilePath(), std::ios::binary) << content;
  }

  std::optional<std::string> ReadIdFile() const {
    std::ifstream in(IdFilePath(), std::ios::binary);
    if (!in) {
      return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  ino_t IdFileInode() const {
    struct stat info {};
    return stat(IdFilePath().c_str(), &info) == 0 ? info.st_ino : 0;
  }

  static BoardServer* server_;
  std::string dir_;
  monitor::BoardSite site_;
  RecordingHost host_;
};

BoardServer* BoardCheckTest::server_ = nullptr;

TEST_F(BoardCheckTest, FirstRunAnnouncesEveryTopicInPageOrder) {
  host_.SetInterval("30");
  const std::vector<BoardTopic> topics = server_->Topics();
  ASSERT_EQ(topics.size(), 30u);

  monitor::RunBoardCheck(121, site_, host_);

  std::vector<HostCall> expected = {Log(W().refreshing)};
  for (std::size_t i = 0; i < topics.size(); ++i) {
    ExpectAnnouncement(expected, topics[i], static_cast<int>(i), site_.forumBaseUrl,
                       {.period = 30000});
  }
  EXPECT_EQ(host_.Calls(), expected);
  const std::vector<RecordingHost::Row> rows = host_.Rows();
  ASSERT_EQ(rows.size(), topics.size());
  for (std::size_t i = 0; i < topics.size(); ++i) {
    SCOPED_TRACE(topics[i].id);
    EXPECT_EQ(rows[i].title, topics[i].title);
    EXPECT_EQ(rows[i].postedTime, topics[i].postedTime);
    EXPECT_EQ(rows[i].link, site_.forumBaseUrl + topics[i].address);
  }
  // Stored before the first question, and only ever the page's first id.
  EXPECT_EQ(host_.FileAtQuestions(), std::vector<std::string>(30, topics[0].id));
  EXPECT_EQ(ReadIdFile(), topics[0].id);
  EXPECT_EQ(server_->LastUserAgent(),
            "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
            "Chrome/50.0.2661.87 Safari/537.36");
}

TEST_F(BoardCheckTest, OtherBoardNeitherReadsNorWritesTheIdFile) {
  server_->ResetTopics(2);
  const std::vector<BoardTopic> topics = server_->Topics();
  WriteIdFile(topics[0].id);
  const ino_t inodeBefore = IdFileInode();

  monitor::RunBoardCheck(122, site_, host_);

  std::vector<HostCall> expected = {Log(W().refreshing)};
  ExpectAnnouncement(expected, topics[0], 0, site_.forumBaseUrl, {.watchedBoard = false});
  ExpectAnnouncement(expected, topics[1], 1, site_.forumBaseUrl, {.watchedBoard = false});
  EXPECT_EQ(host_.Calls(), expected);
  EXPECT_EQ(ReadIdFile(), topics[0].id);
  EXPECT_EQ(IdFileInode(), inodeBefore);
}

TEST_F(BoardCheckTest, StoredIdDecidesWhichTopicsAreNew) {
  struct Case {
    const char* name;
    std::size_t storedTopic;  // index on the page, or 30 for an id the page does not hold
    Text suffix;              // added to the stored id
    std::size_t announced;
  };
  const std::vector<Case> cases = {
      {"first topic stored", 0, "", 0},
      {"fourth topic stored", 3, "", 3},
      {"stored id no longer on the page", 30, "", 30},
      {"stored id with a line break added by hand", 0, "\r\n", 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_->ResetTopics(30);
    const std::vector<BoardTopic> topics = server_->Topics();
    const Text stored =
        (c.storedTopic < topics.size() ? topics[c.storedTopic].id : "400000") + c.suffix;
    WriteIdFile(stored);
    const ino_t inodeBefore = IdFileInode();
    RecordingHost host;

    monitor::RunBoardCheck(121, site_, host);

    std::vector<HostCall> expected = {Log(W().refreshing)};
    for (std::size_t i = 0; i < c.announced; ++i) {
      ExpectAnnouncement(expected, topics[i], static_cast<int>(i), site_.forumBaseUrl, {});
    }
    if (c.announced < topics.size()) {
      expected.push_back(Log(W().upToDate));
    }
    EXPECT_EQ(host.Calls(), expected);
    if (c.announced == 0) {
      EXPECT_EQ(ReadIdFile(), stored);
      EXPECT_EQ(IdFileInode(), inodeBefore) << "the id file was written";
    } else {
      EXPECT_EQ(ReadIdFile(), topics[0].id);
    }
  }
}

TEST_F(BoardCheckTest, CancelOpensNothingAndStillRearmsTheTimer) {
  const std::vector<BoardTopic> topics = server_->Topics();
  WriteIdFile(topics[2].id);
  host_.SetAnswers({false, false});

  monitor::RunBoardCheck(121, site_, host_);

  std::vector<HostCall> expected = {Log(W().refreshing)};
  ExpectAnnouncement(expected, topics[0], 0, site_.forumBaseUrl, {.answer = false});
  ExpectAnnouncement(expected, topics[1], 1, site_.forumBaseUrl, {.answer = false});
  expected.push_back(Log(W().upToDate));
  EXPECT_EQ(host_.Calls(), expected);
}

TEST_F(BoardCheckTest, IntervalTextSetsThePeriodAfterEachAnswer) {
  struct Case {
    Text interval;
    int period;
  };
  const std::vector<Case> cases = {
      {"abc", 0}, {"0", 0}, {"-5", 0}, {"30", 30000}, {"120", 120000}, {"99999999999", 2147483647},
  };
  const std::vector<BoardTopic> topics = server_->Topics();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.interval);
    WriteIdFile(topics[1].id);
    RecordingHost host;
    host.SetInterval(c.interval);

    monitor::RunBoardCheck(121, site_, host);

    std::vector<HostCall> expected = {Log(W().refreshing)};
    ExpectAnnouncement(expected, topics[0], 0, site_.forumBaseUrl, {.period = c.period});
    expected.push_back(Log(W().upToDate));
    EXPECT_EQ(host.Calls(), expected);
  }
}

TEST_F(BoardCheckTest, FailedPageAnnouncesNothingAndKeepsTheIdFile) {
  // A port that was just free: nothing listens there.
  BoardServer stopped({});
  ASSERT_TRUE(stopped.Start());
  const Text downUrl = stopped.BaseUrl();
  stopped.Stop();

  struct Case {
    const char* name;
    Failure failure;
    bool serverDown;
  };
  const std::vector<Case> cases = {
      {"server down", Failure::kNone, true},
      {"500 with an error page", Failure::kServerError, false},
      {"empty body", Failure::kEmptyBody, false},
      {"connection dropped mid-body", Failure::kDropMidBody, false},
      {"page without topic markers", Failure::kNoMarkers, false},
  };
  for (const Case& c : cases) {
    for (const std::optional<std::string>& stored :
         {std::optional<std::string>("503000"), std::optional<std::string>()}) {
      SCOPED_TRACE(std::string(c.name) + (stored ? ", id file present" : ", no id file"));
      std::filesystem::remove(IdFilePath());
      if (stored) {
        WriteIdFile(*stored);
      }
      server_->SetFailure(c.failure);
      RecordingHost host;
      const monitor::BoardSite site{c.serverDown ? downUrl : site_.forumBaseUrl, dir_};

      monitor::RunBoardCheck(121, site, host);

      EXPECT_EQ(host.Calls(), (std::vector<HostCall>{Log(W().refreshing), Log(W().readFailed)}));
      EXPECT_EQ(ReadIdFile(), stored);
    }
  }
}

TEST_F(BoardCheckTest, UnwritableIdFileIsReportedAndTheAnnouncementGoesOn) {
  server_->ResetTopics(2);
  const std::vector<BoardTopic> topics = server_->Topics();
  // A directory that does not exist: reading finds no id, writing cannot create the file.
  const monitor::BoardSite site{site_.forumBaseUrl, dir_ + "/missing"};

  monitor::RunBoardCheck(121, site, host_);

  std::vector<HostCall> expected = {Log(W().refreshing)};
  ExpectAnnouncement(expected, topics[0], 0, site.forumBaseUrl, {.writeFails = true});
  ExpectAnnouncement(expected, topics[1], 1, site.forumBaseUrl, {.writeFails = true});
  EXPECT_EQ(host_.Calls(), expected);
  EXPECT_FALSE(std::filesystem::exists(dir_ + "/missing"));
}

TEST_F(BoardCheckTest, OnlyAddressesOnTheForumAreOpened) {
  server_->ResetTopics(1);
  const std::vector<Text> hostile = {"@evil.example/thread-1.html", ".evil.example/thread-2.html",
                                     "/thread-3.html x", "/thread\\4.html"};
  for (std::size_t i = 0; i < hostile.size(); ++i) {
    BoardTopic topic = board_server::MakeTopic(900 + static_cast<int>(i));
    topic.address = hostile[i];
    server_->AddTopic(topic);
  }
  const std::vector<BoardTopic> topics = server_->Topics();
  ASSERT_EQ(topics.size(), 5u);

  monitor::RunBoardCheck(121, site_, host_);

  std::vector<HostCall> expected = {Log(W().refreshing)};
  for (std::size_t i = 0; i < topics.size(); ++i) {
    // The forum's own topic is the oldest, at the bottom of the page.
    const bool onForum = i + 1 == topics.size();
    ExpectAnnouncement(expected, topics[i], static_cast<int>(i), site_.forumBaseUrl,
                       {.opened = onForum});
  }
  EXPECT_EQ(host_.Calls(), expected);
}

}  // namespace
