// Straightforward versions of the searching operations, written step by step from their
// definitions: one cursor moved character by character, a full comparison at every stop.
// The fuzz target checks the fast versions in text/ against these.
#pragma once

#include <optional>

#include "text/text.h"

namespace text::reference {

int FindText(const Text& t, const Text& sub, std::optional<int> start, bool ignoreCase);
int FindTextReverse(const Text& t, const Text& sub, std::optional<int> start, bool ignoreCase);
Text ReplaceText(const Text& t, const Text& find, const Text& replacement, std::optional<int> start,
                 std::optional<int> count, bool caseSensitive);
TextArray SplitText(const Text& t, std::optional<Text> separator, std::optional<int> maxCount);
Text TrimSpaces(const Text& t);

}  // namespace text::reference
