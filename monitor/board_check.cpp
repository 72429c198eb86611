#include "monitor/board_check.h"

#include <system_error>
#include <thread>

#include "monitor/board_rules.h"
#include "monitor/forum_settings.h"
#include "monitor/topics.h"
#include "text/code_page.h"
#include "web/field_list.h"
#include "web/web_request.h"

namespace monitor {

namespace {

const text::Text kCheckUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/50.0.2661.87 Safari/537.36";
constexpr int kPauseAfterRowMilliseconds = 1000;
constexpr int kTitleColumn = 0;
constexpr int kTimeColumn = 1;
constexpr int kLinkColumn = 2;

// The system's own words, turned into GBK once.
struct CheckTexts {
  text::Text refreshing = text::Utf8ToGbk("现在 刷新\r\n");
  text::Text upToDate = text::Utf8ToGbk("现在 已经是最新帖子\r\n");
  text::Text writingId = text::Utf8ToGbk("现在 写第一个id到软件id.txt\r\n");
  text::Text readFailed = text::Utf8ToGbk("现在 读取帖子列表失败\r\n");
  text::Text writeFailed = text::Utf8ToGbk("现在 写入软件id.txt失败\r\n");
  text::Text caption = text::Utf8ToGbk("现在有新软件帖子");
  text::Text question = text::Utf8ToGbk("\r\n\r\n 确定打开网址？");
  text::Text idFileName = text::Utf8ToGbk("\\软件id.txt");
};

const CheckTexts& Texts() {
  static const CheckTexts texts;
  return texts;
}

text::Text FetchBoardPage(int board, const text::Text& forumBaseUrl) {
  web::FieldList fields;
  fields.Add("User-Agent", kCheckUserAgent);
  web::WebRequestInput input;
  input.url = text::ConcatText(forumBaseUrl, "/forum-", text::IntToText(board), "-1.html");
  input.method = 0;
  // Given but empty, which is not the same request as leaving the cookies out.
  input.cookies = text::Text();
  input.headers = fields.BuildHeaders();
  return text::BytesToText(web::WebRequest(input).body);
}

}  // namespace

BoardSite BoardSite::Default() { return {kForumBaseUrl, text::RunDirectory()}; }

void RunBoardCheck(int board, const BoardSite& site, BoardCheckHost& host) {
  const CheckTexts& texts = Texts();
  host.AppendLog(texts.refreshing);
  const text::TextArray pieces = SplitTopicPieces(FetchBoardPage(board, site.forumBaseUrl));
  const text::Text idFile = text::ConcatText(site.idFileDirectory, texts.idFileName);
  const bool watchedBoard = board == kBoardNumber;
  const text::Text storedId =
      watchedBoard ? text::BytesToText(text::ReadFileBytes(idFile)) : text::Text();

  text::Text firstId;
  text::Text caption;
  const int pieceCount = text::MemberCount(pieces);
  for (int i = 0; i < pieceCount; ++i) {
    const TopicEntry topic = ParseTopicPiece(pieces[i], site.forumBaseUrl);
    if (i == 0) {
      // A failed download, an error page or a changed layout has no first id. Announcing it
      // would store the empty id and make the next good page announce all of its topics.
      if (topic.id.empty()) {
        host.AppendLog(texts.readFailed);
        return;
      }
      firstId = topic.id;
    }
    if (text::CompareText(topic.id, storedId) == 0) {
      host.AppendLog(texts.upToDate);
      return;
    }
    // The row index stays with this check, so overlapping checks never fill each other's rows.
    const int row = host.InsertRow();
    if (row >= 0) {
      host.SetCell(row, kTitleColumn, topic.title);
      host.SetCell(row, kTimeColumn, topic.postedTime);
      host.SetCell(row, kLinkColumn, topic.link);
    }
    host.Pause(kPauseAfterRowMilliseconds);
    if (watchedBoard) {
      caption = texts.caption;
      host.AppendLog(texts.writingId);
      if (!text::WriteFileBytes(idFile, text::TextToBytes(firstId))) {
        host.AppendLog(texts.writeFailed);
      }
    }
    host.SetTimerPeriod(0);
    if (host.AskToOpen(text::ConcatText(topic.title, texts.question), caption) &&
        IsForumAddress(topic.link, site.forumBaseUrl)) {
      host.OpenAddress(topic.link);
    }
    host.SetTimerPeriod(IntervalMilliseconds(host.ReadInterval()));
  }
}

void StartBoardCheck(const BoardSite& site, BoardCheckHost& host) {
  try {
    std::thread([site, &host] { RunBoardCheck(kBoardNumber, site, host); }).detach();
  } catch (const std::system_error&) {
    // Out of threads: this check is skipped and the next tick tries again.
  }
}

}  // namespace monitor
