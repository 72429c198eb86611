// The search engine under FindText, FindTextReverse, ReplaceText and SplitText.
//
// A match may only begin where a character starts. Position q starts a character of the grid
// that begins at a known start g exactly when the run of bytes >= 0x80 just before q (back to
// g or to the nearest byte < 0x80, after which a character always starts) has even length. So
// a candidate found by a plain substring search is checked by looking back a little, and the
// look-backs never cover the same bytes twice.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace text {

class GridSearch {
 public:
  static constexpr std::size_t kNone = std::string_view::npos;

  // `pattern` must not be empty. `ignoreCase` folds ASCII letters only.
  GridSearch(std::string_view text, std::string_view pattern, bool ignoreCase);

  // The first occurrence beginning at or after `from` and ending at or before `end`, on the
  // grid that starts at `from`.
  std::size_t First(std::size_t from, std::size_t end);
  // The last occurrence ending at or before `end`, on the grid that starts at position 0.
  std::size_t Last(std::size_t end);

 private:
  unsigned char At(std::size_t i) const;
  unsigned char PatternAt(std::size_t i) const;
  // Whether q starts a character, given that `known` <= q does.
  bool StartsCharacter(std::size_t known, std::size_t q) const;
  // Folded search: candidates come from memchr for one byte of the pattern (the anchor).
  std::size_t FirstFolded(std::size_t from, std::size_t end);
  // Linear-time scans for inputs that make the plain substring search stumble over many
  // occurrences off the grid.
  std::size_t FirstByAutomaton(std::size_t from, std::size_t end);
  std::size_t LastByAutomaton(std::size_t end);
  const std::vector<std::size_t>& Borders();

  std::string_view text_;
  std::string_view pattern_;
  bool fold_;
  std::string foldedPattern_;
  std::size_t anchor_ = 0;
  std::vector<std::size_t> borders_;
};

}  // namespace text
