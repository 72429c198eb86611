#include "monitor/topics.h"

#include <optional>

#include "text/text_helpers.h"

namespace monitor {

namespace {

// The page is cut only at these byte sequences, never parsed as HTML: the cut must not depend
// on anything else the forum's markup may change.
const text::Text kTopicMarker = "\"normalthread_";
const text::Text kIdLeft = "onclick=\"CONTENT_TID='";
const text::Text kIdRight = "';CONTENT_ID=";
const text::Text kTitleLeft = "\" onclick=\"atarget(this)\" class=\"s xst\">";
const text::Text kTitleRight = "</a>";
const text::Text kTimeLeft = "<span title=\"";
const text::Text kTimeRight = "</span></span></em>";
const text::Text kTimeTextStart = "\">";
const text::Text kNoBreakSpace = "&nbsp;";
const text::Text kLinkLeft = "</em> <a href=\".";
// The link is the address of the anchor whose text is the title.
const text::Text& kLinkRight = kTitleLeft;

text::Text PostedTime(const text::Text& piece) {
  const text::Text span = text::TextBetween(piece, kTimeLeft, kTimeRight);
  // Only the text after the first "\">" is shown; without one the whole span stays.
  const int p = text::FindText(span, kTimeTextStart);
  const text::Text shown = text::TextRight(span, text::TextLength(span) - p - 1);
  return text::ReplaceText(shown, kNoBreakSpace, "", std::nullopt, std::nullopt, true);
}

}  // namespace

text::TextArray SplitTopicPieces(const text::Text& page) {
  text::TextArray pieces;
  int currentStart = 0;
  int nextStart = 0;
  while (true) {
    currentStart = text::FindText(page, kTopicMarker, nextStart);
    nextStart = text::FindText(page, kTopicMarker, currentStart + 1);
    if (nextStart == -1) {
      break;
    }
    pieces.push_back(text::TextMid(page, currentStart, nextStart - currentStart));
  }
  // The last piece runs to the end of the page; with no marker at all currentStart is -1
  // and this is the one empty piece.
  pieces.push_back(text::TextMid(page, currentStart, text::TextLength(page)));
  return pieces;
}

TopicEntry ParseTopicPiece(const text::Text& piece, const text::Text& forumBaseUrl) {
  TopicEntry entry;
  entry.id = text::TextBetween(piece, kIdLeft, kIdRight);
  entry.title = text::TextBetween(piece, kTitleLeft, kTitleRight);
  entry.postedTime = PostedTime(piece);
  entry.link = text::ConcatText(forumBaseUrl, text::TextBetween(piece, kLinkLeft, kLinkRight));
  return entry;
}

std::vector<TopicEntry> ExtractTopics(const text::Text& page, const text::Text& forumBaseUrl) {
  const text::TextArray pieces = SplitTopicPieces(page);
  std::vector<TopicEntry> topics;
  topics.reserve(pieces.size());
  for (const text::Text& piece : pieces) {
    topics.push_back(ParseTopicPiece(piece, forumBaseUrl));
  }
  return topics;
}

}  // namespace monitor
