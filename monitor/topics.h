#pragma once

#include <vector>

#include "text/text.h"

namespace monitor {

// One topic of a board page. Every field is exactly what the page holds between its markers:
// nothing trimmed, no HTML entity decoded, any field may be empty.
struct TopicEntry {
  text::Text id;
  text::Text title;
  text::Text postedTime;
  text::Text link;
};

// The topic pieces of a page in page order, each starting with its "\"normalthread_" marker;
// the bytes before the first marker belong to no piece. Never empty: a page without the
// marker gives exactly one member, the empty text.
text::TextArray SplitTopicPieces(const text::Text& page);

// The four fields of one piece. `link` is forumBaseUrl followed by the topic's address
// relative to the forum root, so a piece without link markers gives forumBaseUrl alone.
TopicEntry ParseTopicPiece(const text::Text& piece, const text::Text& forumBaseUrl);

// SplitTopicPieces, then ParseTopicPiece on each piece, in page order.
std::vector<TopicEntry> ExtractTopics(const text::Text& page, const text::Text& forumBaseUrl);

}  // namespace monitor
