#pragma once

#include <vector>

#include "text/text.h"

namespace board_server {

// One topic as the board lists it; every field GBK, as the extraction reads it back.
struct BoardTopic {
  text::Text id;
  text::Text title;
  // As shown, e.g. "3天前"; the page writes "&nbsp;" after its leading digits, as the forum
  // does.
  text::Text postedTime;
  // The topic's address relative to the forum root, as the page writes it after "./" minus
  // the dot: "/thread-<id>-1-1.html" for the topics MakeTopic makes.
  text::Text address;
};

// The topic with the given serial number: id 500000 + serial, a varied GBK title (some with an
// HTML entity, some with symbols outside ASCII) and a posting time.
BoardTopic MakeTopic(int serial);

// A GBK board page in the forum's layout: head and navigation, three sticky topics, the
// topics in the given order, the page links and the footer.
text::Text BoardPageHtml(const std::vector<BoardTopic>& topics);

// A GBK page the forum shows instead of the board, with no topic markup at all.
text::Text MaintenancePageHtml();

// A GBK error page that goes with a 500 answer.
text::Text ServerErrorPageHtml();

}  // namespace board_server
