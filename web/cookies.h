// Cookie texts: items "name=value" joined by "; " with nothing after the last, the form in
// which cookies are sent in a "Cookie:" header line.
#pragma once

#include "text/text.h"

namespace web {

// The name and value of every "Set-Cookie: " line of a raw response header text, in order,
// as a cookie text. Attributes after the first ";" of a line are dropped. Lines whose name is
// written in another case or lacks the blank after the colon do not count.
text::Text CollectSetCookies(const text::Text& rawHeaders);

// Updates the sent cookie text with the received one: received items first, then every sent
// item whose name was not received; items ending in "=deleted" are dropped (with the sent item
// of the same name) and repeated items kept once. The result is also stored in `sent`;
// `received` is left trimmed.
text::Text MergeCookies(text::Text& sent, text::Text& received);

// The trimmed text left of the first "=", or the whole trimmed item when it has none.
text::Text CookieName(const text::Text& item);

// Whether some item's CookieName equals `name` exactly.
bool HasCookie(const text::TextArray& items, const text::Text& name);

}  // namespace web
