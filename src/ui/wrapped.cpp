#include "ui/wrapped.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace corvane {
namespace {

struct TSegment {
  TTextView fText;
  bool fEmph = false;
};

TText SeparatorSet(TTextView vSeparators) {
  TText set(vSeparators);
  for (char16_t c : {u' ', u'\t', u'\n', u'\r'})
    if (set.find(c) == TText::npos) set += c;
  return set;
}

// Words run up to and including the first separator; the last one runs to the end.
void CutWords(TTextView vText, TTextView vSet, std::vector<TSegment>& vOut) {
  std::size_t begin = 0;
  while (begin < vText.size()) {
    const std::size_t sep = vText.find_first_of(vSet, begin);
    const std::size_t end = sep == TTextView::npos ? vText.size() : sep + 1;
    vOut.push_back({vText.substr(begin, end - begin), false});
    begin = end;
  }
}

std::vector<TSegment> CutSegments(TTextView vText, TTextView vSet, std::int32_t vStart,
                                  std::int32_t vLen) {
  std::vector<TSegment> segs;
  if (vStart > 0 && vLen > 0) {
    const std::size_t size = vText.size();
    const std::size_t begin = std::min<std::size_t>(size, std::size_t(vStart) - 1);
    const std::size_t end =
        std::min<std::uint64_t>(size, std::uint64_t(vStart) - 1 + std::uint64_t(vLen));
    CutWords(vText.substr(0, begin), vSet, segs);
    // The span stays one segment, even when empty, and is never cut at separators.
    segs.push_back({vText.substr(begin, end - begin), true});
    CutWords(vText.substr(end), vSet, segs);
  } else if (vText.empty()) {
    segs.push_back({vText, false});
  } else {
    CutWords(vText, vSet, segs);
  }
  return segs;
}

std::int32_t Clamp32(std::int64_t v) {
  return std::int32_t(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                               std::numeric_limits<std::int32_t>::max()));
}

// The longest head of vText that fits vUsable, searched from the proportional estimate; at
// least one character, so that every line makes progress. vWidth is vText's width on entry
// and the head's width on return.
std::size_t FittingHead(TCanvas& vCanvas, TTextView vText, std::int64_t vUsable,
                        std::int64_t& vWidth) {
  const std::size_t size = vText.size();
  auto width = [&](std::size_t n) -> std::int64_t {
    return n == 0 ? 0 : vCanvas.TextWidth(vText.substr(0, n));
  };
  std::size_t n = 0;
  if (vUsable > 0 && vWidth > 0) {
    const std::uint64_t chars = std::min<std::uint64_t>(size, 0xFFFFFFFFu);
    n = std::size_t(
        std::min<std::uint64_t>(size, chars * std::uint64_t(vUsable) / std::uint64_t(vWidth)));
  }
  std::int64_t w = width(n);
  while (w <= vUsable && n < size) w = width(++n);
  while (w > vUsable && n > 0) w = width(--n);
  if (n == 0) {
    n = 1;
    w = width(1);
  }
  vWidth = w;
  return n;
}

}  // namespace

std::int32_t DrawWrapped(bool vPaint, TCanvas& vCanvas, const TRect& vRect, TTextView vText,
                         TTextView vSeparators, std::int32_t vStart, std::int32_t vLen,
                         std::int32_t vMinHeight, TFontStyles vEmphStyle) {
  const TText set = SeparatorSet(vSeparators);
  const std::vector<TSegment> segs = CutSegments(vText, set, vStart, vLen);

  // The line height comes from the entry font; unmarked text is then drawn plain, whatever
  // the entry style was.
  const std::int64_t lineHeight = std::int64_t(vCanvas.TextHeight(vText)) + 2;
  vCanvas.SetFontStyle(fsNone);
  const std::int64_t usable = std::int64_t(vRect.fRight) - vRect.fLeft - 1;

  std::int64_t x = 0, y = 0;
  TText shownBuf;
  std::size_t index = 0;
  TSegment cur = segs[0];
  for (;;) {
    if (cur.fEmph) vCanvas.SetFontStyle(vEmphStyle);
    // A trailing tab, line feed or carriage return is measured and drawn as a space.
    TTextView shown = cur.fText;
    if (!shown.empty() &&
        (shown.back() == u'\t' || shown.back() == u'\n' || shown.back() == u'\r')) {
      shownBuf.assign(shown);
      shownBuf.back() = u' ';
      shown = shownBuf;
    }
    std::int64_t w = vCanvas.TextWidth(shown);
    bool next = true;
    if (x == 0 && w > usable && shown.size() > 1) {
      // Break at the start of a line: draw the head that fits, in the segment's style; the
      // rest, with the segment's mark, comes next.
      const std::size_t n = FittingHead(vCanvas, shown, usable, w);
      if (vPaint)
        vCanvas.TextOutAt(Clamp32(vRect.fLeft + x), Clamp32(vRect.fTop + y), shown.substr(0, n));
      x += w;
      cur.fText = cur.fText.substr(n);
      next = cur.fText.empty();
    } else if (x > 0 && x + w > usable) {
      y += lineHeight;
      x = 0;
      next = false;
    } else {
      // At the start of a line a segment is always placed: only a single character can be
      // wider than the line here.
      if (vPaint) vCanvas.TextOutAt(Clamp32(vRect.fLeft + x), Clamp32(vRect.fTop + y), shown);
      x += w;
    }
    vCanvas.SetFontStyle(fsNone);
    if (next) {
      if (++index == segs.size()) break;
      cur = segs[index];
    }
  }
  // Counted from the lines reached, so a segment of no width at the start of a line does not
  // count a line of its own.
  return Clamp32(std::max<std::int64_t>(y + lineHeight, vMinHeight));
}

}  // namespace corvane
