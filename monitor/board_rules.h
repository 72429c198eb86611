#pragma once

#include "text/text.h"

namespace monitor {

// The timer period for an interval text: its TextToInt value times 1000, computed without
// overflow and clamped to 0..2147483647 (a timer cannot run backwards or beyond 32 bits).
int IntervalMilliseconds(const text::Text& intervalText);

// True when the address may be handed to the browser: it is forumBaseUrl itself, or
// forumBaseUrl, "/" and a rest without control bytes, blanks, "@" or "\". A page cannot
// make the browser open another host or anything the shell would read as more than one
// address.
bool IsForumAddress(const text::Text& address, const text::Text& forumBaseUrl);

}  // namespace monitor
