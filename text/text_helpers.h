// Text routines built on the primitives: cutting between markers, several replacements in
// one call, removing repeated items.
#pragma once

#include <optional>

#include "text/text.h"

namespace text {

// "#引号" in either marker stands for a double quote. The right marker is searched after the
// end of the left one; `start` applies to the left marker only.
Text TextBetween(const Text& t, const Text& left, const Text& right, std::optional<int> start = {},
                 bool ignoreCase = false);
// Everything before the first marker found from `start`, counted from position 1.
Text TextLeftOf(const Text& t, const Text& marker, std::optional<int> start = {},
                bool ignoreCase = false);
// Everything after the last marker that ends before `start` (the whole text when not given).
Text TextRightOfLast(const Text& t, const Text& marker, std::optional<int> start = {},
                     bool ignoreCase = false);
// The pairs are applied one after the other, each seeing what earlier ones put in; `count`
// limits each pair separately. An empty find changes nothing.
Text ReplaceMany(const Text& t, std::optional<int> count, std::optional<int> start,
                 bool caseSensitive, const Text& find1, const Text& replacement1,
                 const Text& find2 = {}, const Text& replacement2 = {}, const Text& find3 = {},
                 const Text& replacement3 = {}, const Text& find4 = {},
                 const Text& replacement4 = {}, const Text& find5 = {},
                 const Text& replacement5 = {});
// With a separator the items are the pieces between separators, else the characters
// (SplitChars). Each item is kept at its first occurrence.
Text RemoveDuplicates(const Text& t, std::optional<Text> separator = {});
// One member per character; CR LF counts as one, and here 0x80 is a one-byte character.
TextArray SplitChars(const Text& t);
int IndexOfMember(const TextArray& a, const Text& t);

}  // namespace text
