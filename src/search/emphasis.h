// Emphasis spans: (start, length) counted from 1, shown only when both are greater than 0.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace corvane {

// Whether the span is shown, and its part inside a text of vSize characters (0-based begin,
// count). A span reaching past the text is cut at its end.
bool EmphasisRange(std::int32_t vStart, std::int32_t vLen, std::size_t vSize, std::size_t& vBegin,
                   std::size_t& vCount);

// vText with the shown part of the span enclosed in vOpen and vClose.
TText MarkEmphasis(const TText& vText, std::int32_t vStart, std::int32_t vLen, TTextView vOpen,
                   TTextView vClose);

}  // namespace corvane
