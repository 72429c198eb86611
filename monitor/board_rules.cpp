#include "monitor/board_rules.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace monitor {

int IntervalMilliseconds(const text::Text& intervalText) {
  const std::int64_t product = std::int64_t{text::TextToInt(intervalText)} * 1000;
  return static_cast<int>(
      std::clamp<std::int64_t>(product, 0, std::numeric_limits<std::int32_t>::max()));
}

bool IsForumAddress(const text::Text& address, const text::Text& forumBaseUrl) {
  if (forumBaseUrl.empty() || address.compare(0, forumBaseUrl.size(), forumBaseUrl) != 0) {
    return false;
  }
  if (address.size() == forumBaseUrl.size()) {
    return true;
  }
  if (address[forumBaseUrl.size()] != '/') {
    return false;
  }
  return std::none_of(address.begin() + forumBaseUrl.size(), address.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x21 || c == '@' || c == '\\';
  });
}

}  // namespace monitor
