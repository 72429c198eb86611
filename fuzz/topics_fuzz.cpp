// Cuts any page into topics and checks what the cut promises: the pieces are the page from
// its first marker on, each starts with the marker and holds no other marker that starts a
// character, and every topic's link starts with the base.
//
// Input: the page, up to its first zero byte (a Text never holds one).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "monitor/topics.h"
#include "text/text.h"

namespace {

const text::Text kMarker = "\"normalthread_";
const text::Text kBase = "https://bbs.lumeth.example";

void Expect(bool holds, const char* promise) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", promise);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const text::Text page = text::BytesToText(text::Bytes(data, data + size));
  const text::TextArray pieces = monitor::SplitTopicPieces(page);
  const int first = text::FindText(page, kMarker);
  if (first == -1) {
    Expect(pieces == text::TextArray{""}, "a page without the marker gives one empty piece");
  } else {
    text::Text joined;
    for (const text::Text& piece : pieces) {
      Expect(piece.compare(0, kMarker.size(), kMarker) == 0, "every piece starts with the marker");
      Expect(text::FindText(piece, kMarker, 2) == -1, "a piece holds one marker");
      joined += piece;
    }
    Expect(joined == page.substr(static_cast<std::size_t>(first) - 1),
           "the pieces join to the page from its first marker");
  }
  const std::vector<monitor::TopicEntry> topics = monitor::ExtractTopics(page, kBase);
  Expect(topics.size() == pieces.size(), "one topic per piece");
  for (const monitor::TopicEntry& topic : topics) {
    Expect(topic.link.compare(0, kBase.size(), kBase) == 0, "every link starts with the base");
  }
  return 0;
}
