#include <algorithm>
#include <cstddef>
#include <string_view>

#include "text/grid_search.h"
#include "text/text.h"

namespace text {

namespace {

constexpr std::size_t kNone = GridSearch::kNone;

std::size_t FirstPosition(std::optional<int> start) {
  return (start && *start >= 1) ? static_cast<std::size_t>(*start) - 1 : 0;
}

bool High(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Start of the run of bytes >= 0x80 that ends just before `end`, not going below `floor`.
std::size_t RunStart(const Text& t, std::size_t floor, std::size_t end) {
  while (end > floor && High(t[end - 1])) --end;
  return end;
}

}  // namespace

int FindText(const Text& t, const Text& sub, std::optional<int> start, bool ignoreCase) {
  const std::size_t s = FirstPosition(start);
  if (s >= t.size()) return -1;
  if (sub.empty()) return 1;
  const std::size_t q = GridSearch(t, sub, ignoreCase).First(s, t.size());
  return q == kNone ? -1 : static_cast<int>(q + 1);
}

int FindTextReverse(const Text& t, const Text& sub, std::optional<int> start, bool ignoreCase) {
  std::size_t end = t.size();
  if (start) end = *start <= 1 ? 0 : std::min(end, static_cast<std::size_t>(*start) - 1);
  if (sub.empty()) return end > 0 ? 1 : -1;
  const std::size_t q = GridSearch(t, sub, ignoreCase).Last(end);
  return q == kNone ? -1 : static_cast<int>(q + 1);
}

Text ReplaceText(const Text& t, const Text& find, const Text& replacement, std::optional<int> start,
                 std::optional<int> count, bool caseSensitive) {
  const std::size_t s = FirstPosition(start);
  const bool limited = count && *count >= 0;
  int remaining = limited ? *count : 0;
  if (t.empty() || find.empty() || s >= t.size() || (limited && remaining == 0)) return t;

  GridSearch search(t, find, !caseSensitive);
  Text out;
  out.reserve(t.size());
  out.append(t, 0, s);
  // Each occurrence restarts the character grid right after itself.
  std::size_t p = s;
  for (std::size_t q; (q = search.First(p, t.size())) != kNone;) {
    out.append(t, p, q - p);
    out += replacement;
    p = q + find.size();
    if (limited && --remaining == 0) {
      out.append(t, p);
      return out;
    }
  }
  // With a one-byte find the scan reaches the last character; a cut-off byte there is not
  // copied. Callers have always seen it dropped, so it stays that way.
  std::size_t end = t.size();
  if (find.size() == 1 && p < end && High(t[end - 1]) &&
      (end - 1 - RunStart(t, p, end - 1)) % 2 == 0) {
    --end;
  }
  out.append(t, p, end - p);
  return out;
}

TextArray SplitText(const Text& t, std::optional<Text> separator, std::optional<int> maxCount) {
  const Text sep = separator.value_or(",");
  const bool limited = maxCount.has_value();
  int remaining = limited ? std::max(*maxCount, 0) : 0;
  if (t.empty() || (limited && remaining == 0)) return {};
  if (sep.empty()) return {t};

  GridSearch search(t, sep, false);
  TextArray members;
  std::size_t p = 0;
  for (std::size_t q; (q = search.First(p, t.size())) != kNone;) {
    members.emplace_back(t, p, q - p);
    p = q + sep.size();
    if (limited && --remaining == 0) return members;
  }
  if (p < t.size()) members.emplace_back(t, p);
  return members;
}

Text TrimSpaces(const Text& t) {
  const auto fullWidthBlank = [&t](std::size_t p) {
    return static_cast<unsigned char>(t[p]) == 0xA1 && static_cast<unsigned char>(t[p + 1]) == 0xA1;
  };

  std::size_t first = 0;
  while (first < t.size()) {
    if (t[first] == ' ') {
      ++first;
    } else if (first + 1 < t.size() && fullWidthBlank(first)) {
      first += 2;
    } else {
      break;
    }
  }

  // The tail is read backwards. A position right after a byte < 0x80 always starts a
  // character, so each run of bytes >= 0x80 pairs up from its own beginning.
  std::size_t pos = t.size();
  while (pos > first) {
    const std::size_t runStart = RunStart(t, first, pos);
    if ((pos - runStart) % 2 == 1) {
      // Only the end of the text can split a pair: a cut-off character. It goes, and the
      // blanks before it stay.
      return Text(t, first, pos - 1 - first);
    }
    std::size_t k = pos;
    while (k - runStart >= 2 && fullWidthBlank(k - 2)) k -= 2;
    if (k > runStart) return Text(t, first, k - first);
    if (runStart == first) break;
    // The byte before the run is < 0x80: a blank only when it is a character of its own and
    // not the second byte of a two-byte character.
    const std::size_t low = runStart - 1;
    const bool secondByte = (low - RunStart(t, first, low)) % 2 == 1;
    if (secondByte || t[low] != ' ') return Text(t, first, runStart - first);
    pos = low;
  }
  return {};
}

}  // namespace text
