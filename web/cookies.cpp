#include "web/cookies.h"

#include <unordered_set>

#include "text/text_helpers.h"

namespace web {

using text::Text;
using text::TextArray;

namespace {

const Text kSeparator = "; ";

// Trims and completes a final ";" to a full separator, so that it splits like one.
Text PrepareForSplit(const Text& cookies) {
  Text t = text::TrimSpaces(cookies);
  if (text::TextRight(t, 1) == ";") t += ' ';
  return t;
}

bool EndsDeleted(const Text& item) { return text::TextRight(item, 8) == "=deleted"; }

}  // namespace

Text CollectSetCookies(const Text& rawHeaders) {
  Text result;
  for (const Text& line : text::SplitText(rawHeaders, Text("\r\n"))) {
    if (text::TextLeftOf(line, ": ") != "Set-Cookie") continue;
    Text cookie;
    if (text::FindText(line, ";") == -1) {
      cookie = text::TrimSpaces(text::ReplaceText(line, "Set-Cookie:", "", 1, std::nullopt, false));
    } else {
      cookie = text::TrimSpaces(text::TextBetween(line, "Set-Cookie:", ";"));
    }
    result += cookie;
    result += kSeparator;
  }
  return text::TextLeft(result, text::TextLength(result) - 2);
}

Text MergeCookies(Text& sent, Text& received) {
  received = PrepareForSplit(received);
  TextArray merged = text::SplitText(received, kSeparator);
  const TextArray old = text::SplitText(PrepareForSplit(sent), kSeparator);

  // The same answer as HasCookie over the growing list, without rescanning it for every item.
  std::unordered_set<Text> names;
  for (const Text& item : merged) names.insert(CookieName(item));
  for (const Text& item : old) {
    if (names.insert(CookieName(item)).second) merged.push_back(item);
  }

  Text result;
  for (const Text& item : merged) {
    if (EndsDeleted(item)) continue;
    result += item;
    result += kSeparator;
  }
  result = text::RemoveDuplicates(text::TextLeft(result, text::TextLength(result) - 2), kSeparator);
  sent = result;
  return result;
}

Text CookieName(const Text& item) {
  const int equals = text::FindText(item, "=");
  return text::TrimSpaces(equals == -1 ? item : text::TextLeft(item, equals - 1));
}

bool HasCookie(const TextArray& items, const Text& name) {
  for (const Text& item : items) {
    if (text::CompareText(CookieName(item), name) == 0) return true;
  }
  return false;
}

}  // namespace web
