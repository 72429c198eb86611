// Request header names: the form in which a header text is sent.
#pragma once

#include "text/text.h"

namespace web {

// Rewrites a header text ("\r\n"-separated lines) so that each dash-separated word of every
// header name starts with a capital; values pass through byte for byte. Lines without a colon
// are dropped and the result has no line break after its last line.
text::Text NormalizeHeaderNames(const text::Text& headers);

// The text with its first byte upper-cased when that byte is a to z.
text::Text CapitalizeFirst(const text::Text& t);

// The trimmed text after the first colon; empty when there is no colon.
text::Text ValueAfterColon(const text::Text& line);

}  // namespace web
