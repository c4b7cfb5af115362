// Word-wrapped text with one emphasised span, painted or only measured through the same
// steps, so that a measured height always equals the height of what is painted.
#pragma once

#include <cstdint>

#include "text/text.h"
#include "ui/canvas.h"

namespace corvane {

// The separators every caller passes: a line may break after ; , \ / and -. DrawWrapped adds
// space, tab, line feed and carriage return to any separator text.
inline constexpr TTextView WordSeparators = u";,\\/-";

// Lays vText out in lines inside vRect (its bottom edge is not used), breaking after
// separators, and returns the height used: lines times line height (the text height of vText
// in the entry font, plus 2), at least vMinHeight. With vPaint the text is also drawn.
//
// The span of vLen characters from vStart (1-based) is drawn in vEmphStyle and kept on one
// line when it fits a line; no span when vStart or vLen is 0 or less. A word wider than a
// line is broken by characters at the start of a line; every line holds at least one
// character, so the layout ends even in a rectangle narrower than one character. Every
// other character is drawn plain, and the font is plain on return.
std::int32_t DrawWrapped(bool vPaint, TCanvas& vCanvas, const TRect& vRect, TTextView vText,
                         TTextView vSeparators, std::int32_t vStart, std::int32_t vLen,
                         std::int32_t vMinHeight, TFontStyles vEmphStyle);

}  // namespace corvane
