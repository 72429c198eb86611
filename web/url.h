// Cutting an address into the host, port and path that a request is made of. Every input
// yields some result; nothing here fails.
#pragma once

#include <optional>

#include "text/text.h"

namespace web {

// The host of `url`, lower-cased. Only "http://" and "https://" are recognised; an address
// without a scheme counts as http. `stripSubdomains` keeps only the last labels, `keepPort`
// keeps ":port". Without `labelCount` the host is the text after the scheme up to the next
// "/" (the first "http://" anywhere in the address counts when it does not start with
// "https://"). With `labelCount` n the host is found by stripping every scheme and counting
// dots from the end: the last n + 1 labels remain with `stripSubdomains`, n + 2 without.
text::Text UrlHost(const text::Text& url, bool stripSubdomains = false, bool keepPort = false,
                   std::optional<int> labelCount = {});

// The port written after the host, or 443 when the address begins with "https" in any case
// and 80 otherwise. A colon without digits gives 0.
int UrlPort(const text::Text& url);

// Everything from the first "/" after the host to the end, in the address's own case;
// "/" when there is none. Always begins with "/".
text::Text UrlPath(const text::Text& url);

}  // namespace web
