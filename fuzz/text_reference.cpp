#include <cstddef>
#include <string_view>

#include "text_reference.h"

namespace text::reference {

namespace {

unsigned char Byte(std::string_view t, std::size_t i) { return static_cast<unsigned char>(t[i]); }

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool MatchesAt(std::string_view t, std::size_t p, std::string_view sub, bool ignoreCase) {
  for (std::size_t i = 0; i < sub.size(); ++i) {
    const unsigned char a = Byte(t, p + i);
    const unsigned char b = Byte(sub, i);
    if (a != b && !(ignoreCase && FoldAscii(a) == FoldAscii(b))) return false;
  }
  return true;
}

// Start of the first character after the one at p, or npos when p holds a cut-off character.
std::size_t NextCharacter(std::string_view t, std::size_t p) {
  if (Byte(t, p) < 0x80) return p + 1;
  if (p + 1 == t.size()) return std::string_view::npos;
  return p + 2;
}

std::size_t FirstPosition(std::optional<int> start) {
  return (start && *start >= 1) ? static_cast<std::size_t>(*start) - 1 : 0;
}

}  // namespace

int FindText(const Text& t, const Text& sub, std::optional<int> start, bool ignoreCase) {
  const std::size_t s = FirstPosition(start);
  if (s >= t.size()) return -1;
  if (sub.empty()) return 1;
  for (std::size_t p = s; p != std::string_view::npos && t.size() - p >= sub.size();
       p = NextCharacter(t, p)) {
    if (MatchesAt(t, p, sub, ignoreCase)) return static_cast<int>(p + 1);
  }
  return -1;
}

int FindTextReverse(const Text& t, const Text& sub, std::optional<int> start, bool ignoreCase) {
  std::size_t end = t.size();
  if (start) end = *start <= 1 ? 0 : std::min(end, static_cast<std::size_t>(*start) - 1);
  if (sub.empty()) return end > 0 ? 1 : -1;
  int last = -1;
  for (std::size_t p = 0; p != std::string_view::npos && p <= end && end - p >= sub.size();
       p = NextCharacter(t, p)) {
    if (MatchesAt(t, p, sub, ignoreCase)) last = static_cast<int>(p + 1);
  }
  return last;
}

Text ReplaceText(const Text& t, const Text& find, const Text& replacement, std::optional<int> start,
                 std::optional<int> count, bool caseSensitive) {
  const std::size_t s = FirstPosition(start);
  const bool limited = count && *count >= 0;
  int remaining = limited ? *count : 0;
  if (t.empty() || find.empty() || s >= t.size() || (limited && remaining == 0)) return t;

  Text out(t, 0, s);
  std::size_t p = s;
  while (t.size() - p >= find.size()) {
    if (MatchesAt(t, p, find, !caseSensitive)) {
      out += replacement;
      p += find.size();
      if (limited && --remaining == 0) break;
      continue;
    }
    const std::size_t next = NextCharacter(t, p);
    if (next == std::string_view::npos) {
      // The cut-off byte at the end is not copied.
      p = t.size();
      break;
    }
    out.append(t, p, next - p);
    p = next;
  }
  out.append(t, p);
  return out;
}

TextArray SplitText(const Text& t, std::optional<Text> separator, std::optional<int> maxCount) {
  const Text sep = separator.value_or(",");
  const bool limited = maxCount.has_value();
  int remaining = limited ? std::max(*maxCount, 0) : 0;
  if (t.empty() || (limited && remaining == 0)) return {};
  if (sep.empty()) return {t};

  TextArray members;
  std::size_t pieceStart = 0;
  std::size_t p = 0;
  while (t.size() - p >= sep.size()) {
    if (MatchesAt(t, p, sep, false)) {
      members.emplace_back(t, pieceStart, p - pieceStart);
      p += sep.size();
      pieceStart = p;
      if (limited && --remaining == 0) return members;
      continue;
    }
    const std::size_t next = NextCharacter(t, p);
    if (next == std::string_view::npos) break;
    p = next;
  }
  if (pieceStart < t.size()) members.emplace_back(t, pieceStart);
  return members;
}

Text TrimSpaces(const Text& t) {
  auto blankAt = [&t](std::size_t p) -> std::size_t {
    if (t[p] == ' ') return 1;
    if (Byte(t, p) == 0xA1 && p + 1 < t.size() && Byte(t, p + 1) == 0xA1) return 2;
    return 0;
  };

  std::size_t first = 0;
  while (first < t.size()) {
    const std::size_t blank = blankAt(first);
    if (blank == 0) break;
    first += blank;
  }

  std::size_t end = t.size();
  std::size_t runStart = std::string_view::npos;
  for (std::size_t p = first; p < t.size();) {
    const std::size_t next = NextCharacter(t, p);
    if (next == std::string_view::npos) {
      end = p;  // a cut-off character ends the text; blanks before it stay
      runStart = std::string_view::npos;
      break;
    }
    if (blankAt(p) != 0) {
      if (runStart == std::string_view::npos) runStart = p;
    } else {
      runStart = std::string_view::npos;
    }
    p = next;
  }
  if (runStart != std::string_view::npos) end = runStart;
  return Text(t, first, end - first);
}

}  // namespace text::reference
