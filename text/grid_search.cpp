#include "text/grid_search.h"

#include <algorithm>
#include <cstring>

namespace text {

namespace {

unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool HasAsciiLetter(std::string_view s) {
  for (const char c : s) {
    if (IsAsciiLetter(c)) return true;
  }
  return false;
}

// How well a byte serves as the anchor of a folded search: a letter needs two memchr scans,
// and markup bytes occur everywhere in a page.
int AnchorScore(char c) {
  if (static_cast<unsigned char>(c) >= 0x80) return 3;
  if (IsAsciiLetter(c)) return 0;
  if (std::string_view(" <>/=\"").find(c) != std::string_view::npos) return 1;
  return 2;
}

// The next position in [from, end) holding `c`, remembered in `next` across calls whose
// `from` only grows and whose `end` stays the same.
std::size_t NextByte(std::string_view text, char c, std::size_t from, std::size_t end,
                     std::size_t& next) {
  if (next != GridSearch::kNone && next >= from) return next;
  const void* hit = ::memchr(text.data() + from, c, end - from);
  next =
      hit == nullptr ? end : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
  return next;
}

}  // namespace

GridSearch::GridSearch(std::string_view text, std::string_view pattern, bool ignoreCase)
    : text_(text), pattern_(pattern), fold_(ignoreCase && HasAsciiLetter(pattern)) {
  if (fold_) {
    foldedPattern_.reserve(pattern.size());
    for (const char c : pattern) {
      foldedPattern_.push_back(static_cast<char>(FoldAscii(static_cast<unsigned char>(c))));
    }
    pattern_ = foldedPattern_;
    for (std::size_t i = 1; i < pattern_.size(); ++i) {
      if (AnchorScore(pattern_[i]) > AnchorScore(pattern_[anchor_])) anchor_ = i;
    }
  }
}

unsigned char GridSearch::At(std::size_t i) const {
  const auto c = static_cast<unsigned char>(text_[i]);
  return fold_ ? FoldAscii(c) : c;
}

unsigned char GridSearch::PatternAt(std::size_t i) const {
  return static_cast<unsigned char>(pattern_[i]);
}

bool GridSearch::StartsCharacter(std::size_t known, std::size_t q) const {
  std::size_t r = q;
  while (r > known && static_cast<unsigned char>(text_[r - 1]) >= 0x80) --r;
  return (q - r) % 2 == 0;
}

std::size_t GridSearch::First(std::size_t from, std::size_t end) {
  const std::size_t m = pattern_.size();
  if (end < from || end - from < m) return kNone;
  if (fold_) return FirstFolded(from, end);

  std::size_t known = from;
  std::size_t wasted = 0;
  for (std::size_t p = from; end - p >= m;) {
    const void* hit = ::memmem(text_.data() + p, end - p, pattern_.data(), m);
    if (hit == nullptr) return kNone;
    const auto q = static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
    if (StartsCharacter(known, q)) return q;
    // q is the second byte of a two-byte character, so the next character starts after it.
    known = p = q + 1;
    // Every restart costs the searcher about m; when restarts outweigh the progress made,
    // the automaton takes over.
    wasted += m;
    if (wasted > (p - from) + 4 * m) return FirstByAutomaton(p, end);
  }
  return kNone;
}

std::size_t GridSearch::FirstFolded(std::size_t from, std::size_t end) {
  const std::size_t m = pattern_.size();
  const char anchor = pattern_[anchor_];
  const char upper = IsAsciiLetter(anchor) ? static_cast<char>(anchor - 'a' + 'A') : anchor;
  // Anchor positions range over [from + anchor_, end - m + anchor_ + 1).
  const std::size_t anchorEnd = end - m + anchor_ + 1;
  std::size_t nextAnchor = kNone;
  std::size_t nextUpper = kNone;
  std::size_t known = from;
  std::size_t wasted = 0;
  for (std::size_t p = from; end - p >= m;) {
    std::size_t hit = NextByte(text_, anchor, p + anchor_, anchorEnd, nextAnchor);
    if (upper != anchor)
      hit = std::min(hit, NextByte(text_, upper, p + anchor_, anchorEnd, nextUpper));
    if (hit == anchorEnd) return kNone;
    const std::size_t q = hit - anchor_;
    std::size_t k = 0;
    while (k < m && At(q + k) == PatternAt(k)) ++k;
    if (k == m) {
      if (StartsCharacter(known, q)) return q;
      known = q + 1;
    }
    p = q + 1;
    // Frequent anchors that lead nowhere hand over to the automaton, which is linear.
    wasted += k + 1;
    if (wasted > 2 * (p - from) + 4 * m) return FirstByAutomaton(known, end);
  }
  return kNone;
}

std::size_t GridSearch::Last(std::size_t end) {
  const std::size_t m = pattern_.size();
  if (end > text_.size()) end = text_.size();
  if (end < m) return kNone;
  if (fold_) return LastByAutomaton(end);

  // runStart begins the run of bytes >= 0x80 before the previous candidate; candidates come in
  // falling order, so a look-back is needed only below it and never covers a byte twice.
  std::size_t runStart = kNone;
  std::size_t compared = 0;
  const auto first = static_cast<unsigned char>(pattern_[0]);
  for (std::size_t limit = end - m + 1; limit > 0;) {
    const void* hit = ::memrchr(text_.data(), first, limit);
    if (hit == nullptr) return kNone;
    const auto q = static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data());
    std::size_t k = 1;
    while (k < m && text_[q + k] == pattern_[k]) ++k;
    compared += k;
    if (k == m) {
      if (runStart == kNone || q < runStart) {
        runStart = q;
        while (runStart > 0 && static_cast<unsigned char>(text_[runStart - 1]) >= 0x80) {
          --runStart;
        }
      }
      if ((q - runStart) % 2 == 0) return q;
    }
    limit = q;
    if (compared > 2 * (end - q) + 4 * m) return LastByAutomaton(end);
  }
  return kNone;
}

const std::vector<std::size_t>& GridSearch::Borders() {
  // borders_[i]: length of the longest proper border of the pattern's first i + 1 bytes.
  if (borders_.empty()) {
    const std::size_t m = pattern_.size();
    borders_.assign(m, 0);
    for (std::size_t i = 1, k = 0; i < m; ++i) {
      while (k > 0 && PatternAt(i) != PatternAt(k)) k = borders_[k - 1];
      if (PatternAt(i) == PatternAt(k)) ++k;
      borders_[i] = k;
    }
  }
  return borders_;
}

std::size_t GridSearch::FirstByAutomaton(std::size_t from, std::size_t end) {
  const std::vector<std::size_t>& borders = Borders();
  const std::size_t m = pattern_.size();
  std::size_t known = from;
  for (std::size_t i = from, k = 0; i < end; ++i) {
    const unsigned char c = At(i);
    while (k > 0 && c != PatternAt(k)) k = borders[k - 1];
    if (c == PatternAt(k)) ++k;
    if (k < m) continue;
    const std::size_t q = i + 1 - m;
    if (StartsCharacter(known, q)) return q;
    known = q + 1;
    k = borders[m - 1];
  }
  return kNone;
}

std::size_t GridSearch::LastByAutomaton(std::size_t end) {
  const std::vector<std::size_t>& borders = Borders();
  const std::size_t m = pattern_.size();
  std::size_t known = 0;
  std::size_t last = kNone;
  for (std::size_t i = 0, k = 0; i < end; ++i) {
    const unsigned char c = At(i);
    while (k > 0 && c != PatternAt(k)) k = borders[k - 1];
    if (c == PatternAt(k)) ++k;
    if (k < m) continue;
    const std::size_t q = i + 1 - m;
    if (StartsCharacter(known, q)) {
      last = q;
      known = q;
    } else {
      known = q + 1;
    }
    k = borders[m - 1];
  }
  return last;
}

}  // namespace text
