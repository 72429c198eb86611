#include "text/text_helpers.h"

#include <string_view>
#include <unordered_set>

#include "text/code_page.h"

namespace text {

namespace {

// Lets a marker written inside a quoted literal stand for a double quote.
Text WithQuotes(const Text& marker) {
  static const Text kQuoteMark = Utf8ToGbk("#引号");
  return ReplaceText(marker, kQuoteMark, "\"", {}, {}, true);
}

}  // namespace

Text TextBetween(const Text& t, const Text& left, const Text& right, std::optional<int> start,
                 bool ignoreCase) {
  const Text leftMarker = WithQuotes(left);
  const Text rightMarker = WithQuotes(right);
  const int found = FindText(t, leftMarker, start, ignoreCase);
  if (found == -1) return {};
  const int c = found + TextLength(leftMarker);
  const int d = FindText(t, rightMarker, c, ignoreCase);
  if (d == -1) return {};
  return TextMid(t, c, d - c);
}

Text TextLeftOf(const Text& t, const Text& marker, std::optional<int> start, bool ignoreCase) {
  const int from = (start && *start >= 1) ? *start : 1;
  const int p = FindText(t, marker, from, ignoreCase);
  if (p == -1) return {};
  return TextLeft(t, p - 1);
}

Text TextRightOfLast(const Text& t, const Text& marker, std::optional<int> start, bool ignoreCase) {
  const int c = FindTextReverse(t, marker, start.value_or(TextLength(t) + 1), ignoreCase);
  if (c == -1) return {};
  return TextRight(t, TextLength(t) - TextLength(marker) - c + 1);
}

Text ReplaceMany(const Text& t, std::optional<int> count, std::optional<int> start,
                 bool caseSensitive, const Text& find1, const Text& replacement1, const Text& find2,
                 const Text& replacement2, const Text& find3, const Text& replacement3,
                 const Text& find4, const Text& replacement4, const Text& find5,
                 const Text& replacement5) {
  const int from = (start && *start >= 1) ? *start : 1;
  Text result = ReplaceText(t, find1, replacement1, from, count, caseSensitive);
  result = ReplaceText(result, find2, replacement2, from, count, caseSensitive);
  result = ReplaceText(result, find3, replacement3, from, count, caseSensitive);
  result = ReplaceText(result, find4, replacement4, from, count, caseSensitive);
  return ReplaceText(result, find5, replacement5, from, count, caseSensitive);
}

Text RemoveDuplicates(const Text& t, std::optional<Text> separator) {
  const TextArray items = separator ? SplitText(t, *separator) : SplitChars(t);
  const Text sep = separator.value_or(Text{});
  // A set instead of a member list keeps long lists linear; the comparison is the same exact
  // byte equality.
  std::unordered_set<std::string_view> taken;
  Text result;
  result.reserve(t.size() + sep.size());
  for (const Text& item : items) {
    if (!taken.insert(item).second) continue;
    result += item;
    result += sep;
  }
  return TextLeft(result, TextLength(result) - TextLength(sep));
}

TextArray SplitChars(const Text& t) {
  TextArray members;
  for (std::size_t d = 0; d < t.size();) {
    std::size_t length = 1;
    if (d + 1 < t.size()) {
      const auto byte = static_cast<unsigned char>(t[d]);
      if (byte >= 0x81 || (byte == '\r' && t[d + 1] == '\n')) length = 2;
    }
    members.emplace_back(t, d, length);
    d += length;
  }
  return members;
}

int IndexOfMember(const TextArray& a, const Text& t) {
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (CompareText(a[i], t) == 0) return static_cast<int>(i + 1);
  }
  return -1;
}

}  // namespace text
