#include "ui/wrapped.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <source_location>

#include "support/fakecanvas.h"

namespace corvane {
namespace {

using test::TDrawn;
using test::TFakeCanvas;
using Lines = std::vector<std::string>;

constexpr TFontStyles kEmph = fsBold | fsUnderline;

struct TLaidOut {
  std::int32_t fHeight = 0;
  Lines fDrawn;
  TFakeCanvas fCanvas;  // the painting canvas, after the call
};

// Measures, then paints on a fresh copy of vCanvas; both must agree on the height, measuring
// must draw nothing and both must leave the font plain.
TLaidOut Lay(TTextView vText, TRect vRect, std::int32_t vStart = 0, std::int32_t vLen = 0,
             std::int32_t vMinHeight = 18, TFakeCanvas vCanvas = {},
             TTextView vSeparators = WordSeparators,
             std::source_location vWhere = std::source_location::current()) {
  testing::ScopedTrace trace(vWhere.file_name(), int(vWhere.line()), "Lay");
  TFakeCanvas measure = vCanvas;
  TLaidOut r;
  r.fCanvas = vCanvas;
  const std::int32_t measured =
      DrawWrapped(false, measure, vRect, vText, vSeparators, vStart, vLen, vMinHeight, kEmph);
  r.fHeight =
      DrawWrapped(true, r.fCanvas, vRect, vText, vSeparators, vStart, vLen, vMinHeight, kEmph);
  EXPECT_EQ(measured, r.fHeight);
  EXPECT_TRUE(measure.fDrawn.empty());
  EXPECT_EQ(measure.fStyle, fsNone);
  EXPECT_EQ(r.fCanvas.fStyle, fsNone);
  r.fDrawn = r.fCanvas.Recorded();
  return r;
}

TRect Wide() {
  return TRect{0, 0, 1000, 0};
}

// Default canvas: 7 pixels a character (8 in bold), text height 13, so lines of 15.

TEST(DrawWrapped, KeyPathOnOneLine) {
  const TLaidOut r = Lay(u"Software\\Microsoft\\Windows", Wide());
  EXPECT_EQ(r.fDrawn, (Lines{"0,0 \"Software\\\"", "63,0 \"Microsoft\\\"", "133,0 \"Windows\""}));
  EXPECT_EQ(r.fHeight, 18);
  EXPECT_EQ(r.fCanvas.fHeightQueries, 1);
  EXPECT_EQ(r.fCanvas.fWidthQueries, 3);

  EXPECT_EQ(Lay(u"Software\\Microsoft\\Windows", Wide(), 0, 0, 0).fHeight, 15);
  TFakeCanvas tall;
  tall.fHeight = 20;
  EXPECT_EQ(Lay(u"Software\\Microsoft\\Windows", Wide(), 0, 0, 18, tall).fHeight, 22);
  EXPECT_EQ(Lay(u"Software", Wide(), 0, 0, 40).fHeight, 40);
}

TEST(DrawWrapped, SpanIsOneEmphasisedSegment) {
  EXPECT_EQ(Lay(u"SOFTWARE\\Classes", Wide(), 1, 8).fDrawn,
            (Lines{"0,0 \"SOFTWARE\" BU", "64,0 \"\\\"", "71,0 \"Classes\""}));
  // Not cut at its separators; the text around it is.
  EXPECT_EQ(Lay(u"ab\\cd ef\\gh", Wide(), 4, 5).fDrawn,
            (Lines{"0,0 \"ab\\\"", "21,0 \"cd ef\" BU", "61,0 \"\\\"", "68,0 \"gh\""}));
  // Cut off at the end of the text.
  EXPECT_EQ(Lay(u"abcdef", Wide(), 5, 10).fDrawn, (Lines{"0,0 \"abcd\"", "28,0 \"ef\" BU"}));
}

TEST(DrawWrapped, SpanBeyondTheTextIsEmpty) {
  const TLaidOut r = Lay(u"abc", Wide(), 10, 2);
  EXPECT_EQ(r.fDrawn, (Lines{"0,0 \"abc\"", "21,0 \"\" BU"}));
  EXPECT_EQ(r.fHeight, 18);
  const std::int32_t big = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(Lay(u"abc", Wide(), big, big).fDrawn, (Lines{"0,0 \"abc\"", "21,0 \"\" BU"}));
}

TEST(DrawWrapped, NoSpanWhenStartOrLenIsNotPositive) {
  const Lines plain{"0,0 \"a-\"", "14,0 \"b\""};
  EXPECT_EQ(Lay(u"a-b", Wide(), 0, 2).fDrawn, plain);
  EXPECT_EQ(Lay(u"a-b", Wide(), 1, 0).fDrawn, plain);
  EXPECT_EQ(Lay(u"a-b", Wide(), -1, 5).fDrawn, plain);
  EXPECT_EQ(Lay(u"a-b", Wide(), 1, -3).fDrawn, plain);
}

TEST(DrawWrapped, SeparatorSet) {
  TFakeCanvas tabs;
  tabs.fWidths[u'\t'] = 50;
  tabs.fWidths[u'\n'] = 50;
  tabs.fWidths[u'\r'] = 50;
  // A trailing tab, line feed or carriage return is measured and drawn as a space.
  EXPECT_EQ(Lay(u"a;b,c\\d/e-f g\th\ni\rj", Wide(), 0, 0, 18, tabs).fDrawn,
            (Lines{"0,0 \"a;\"", "14,0 \"b,\"", "28,0 \"c\\\"", "42,0 \"d/\"", "56,0 \"e-\"",
                   "70,0 \"f \"", "84,0 \"g \"", "98,0 \"h \"", "112,0 \"i \"", "126,0 \"j\""}));
  // The four blanks are always separators; other characters only when given.
  EXPECT_EQ(Lay(u"a;b c\td", Wide(), 0, 0, 18, {}, u"").fDrawn,
            (Lines{"0,0 \"a;b \"", "28,0 \"c \"", "42,0 \"d\""}));
  EXPECT_EQ(Lay(u"axb;c", Wide(), 0, 0, 18, {}, u"xx ").fDrawn,
            (Lines{"0,0 \"ax\"", "14,0 \"b;c\""}));
}

TEST(DrawWrapped, EmptyText) {
  const TLaidOut r = Lay(u"", Wide());
  EXPECT_EQ(r.fDrawn, (Lines{"0,0 \"\""}));
  EXPECT_EQ(r.fHeight, 18);
  EXPECT_EQ(Lay(u"", Wide(), 0, 0, 0).fHeight, 15);
  EXPECT_EQ(Lay(u"", Wide(), 1, 1, 0).fDrawn, (Lines{"0,0 \"\" BU"}));
}

TEST(DrawWrapped, LongWordIsBrokenIntoFullLines) {
  // Usable width 99: 14 characters a line, 200 = 14 * 14 + 4.
  const TText word(200, u'w');
  const TLaidOut r = Lay(word, TRect{10, 20, 110, 0}, 0, 0, 18);
  ASSERT_EQ(r.fCanvas.fDrawn.size(), 15u);
  TText joined;
  for (std::size_t i = 0; i < r.fCanvas.fDrawn.size(); ++i) {
    const TDrawn& d = r.fCanvas.fDrawn[i];
    EXPECT_EQ(d.fX, 10);
    EXPECT_EQ(d.fY, 20 + 15 * std::int32_t(i));
    EXPECT_EQ(d.fText.size(), i < 14 ? 14u : 4u);
    joined += d.fText;
  }
  EXPECT_EQ(joined, word);
  EXPECT_EQ(r.fHeight, 15 * 15);
}

TEST(DrawWrapped, BreakFindsTheLongestHeadWhateverTheWidths) {
  // Narrow characters first: the proportional guess of 13 characters is short by two.
  TFakeCanvas canvas;
  canvas.fWidths = {{u'i', 3}, {u'W', 12}};
  EXPECT_EQ(Lay(u"iiiiiiiiiiWWWWWWWWWW", TRect{0, 0, 100, 0}, 0, 0, 0, canvas).fDrawn,
            (Lines{"0,0 \"iiiiiiiiiiWWWWW\"", "0,15 \"WWWWW\""}));
  // Wide characters first: the guess is too long.
  EXPECT_EQ(Lay(u"WWWWWWWWWWiiiiiiiiii", TRect{0, 0, 100, 0}, 0, 0, 0, canvas).fDrawn,
            (Lines{"0,0 \"WWWWWWWW\"", "0,15 \"WWiiiiiiiiii\""}));
}

TEST(DrawWrapped, LongWordMovesFirstAndItsRestStartsTheNextLine) {
  const TText text = u"ab " + TText(30, u'x') + u" cd";
  EXPECT_EQ(Lay(text, TRect{0, 0, 100, 0}, 0, 0, 0).fDrawn,
            (Lines{"0,0 \"ab \"", "0,15 \"xxxxxxxxxxxxxx\"", "0,30 \"xxxxxxxxxxxxxx\"",
                   "0,45 \"xx \"", "21,45 \"cd\""}));
}

TEST(DrawWrapped, TrailingSeparatorCountsInTheWidth) {
  // Usable width is the rectangle's width less one.
  EXPECT_EQ(Lay(u"abcd efgh", TRect{0, 0, 64, 0}).fDrawn,
            (Lines{"0,0 \"abcd \"", "35,0 \"efgh\""}));
  EXPECT_EQ(Lay(u"abcd efgh", TRect{0, 0, 63, 0}).fDrawn,
            (Lines{"0,0 \"abcd \"", "0,15 \"efgh\""}));
  const TLaidOut r = Lay(u"abcd efgh ij", TRect{0, 0, 64, 0}, 0, 0, 0);
  EXPECT_EQ(r.fDrawn, (Lines{"0,0 \"abcd \"", "0,15 \"efgh \"", "35,15 \"ij\""}));
  EXPECT_EQ(r.fHeight, 30);
}

TEST(DrawWrapped, SpanStaysTogetherWhenItFitsALine) {
  // "key " alone would fit after the first word; the span moves as a whole.
  EXPECT_EQ(Lay(u"abcdefgh key name", TRect{0, 0, 100, 0}, 10, 8).fDrawn,
            (Lines{"0,0 \"abcdefgh \"", "0,15 \"key name\" BU"}));
}

TEST(DrawWrapped, SpanWiderThanALineIsBrokenAndStaysEmphasised) {
  // In bold a character is 8 pixels: 12 of them fit the usable width of 99.
  const TText text = u"ab " + TText(20, u'k') + u"/z";
  const TLaidOut r = Lay(text, TRect{0, 0, 100, 0}, 4, 20, 0);
  EXPECT_EQ(r.fDrawn, (Lines{"0,0 \"ab \"", "0,15 \"kkkkkkkkkkkk\" BU", "0,30 \"kkkkkkkk\" BU",
                             "64,30 \"/\"", "71,30 \"z\""}));
  EXPECT_EQ(r.fHeight, 45);
}

TEST(DrawWrapped, EntryStyleGivesTheLineHeightOnly) {
  TFakeCanvas bold;
  bold.fStyle = fsBold | fsItalic;
  const TLaidOut r = Lay(u"ab cd", TRect{0, 0, 30, 0}, 0, 0, 0, bold);
  // Bold text height 14, so lines of 16; every word drawn plain; the font plain after.
  EXPECT_EQ(r.fDrawn, (Lines{"0,0 \"ab \"", "0,16 \"cd\""}));
  EXPECT_EQ(r.fHeight, 32);
}

TEST(DrawWrapped, NarrowerThanOneCharacterStillEnds) {
  EXPECT_EQ(Lay(u"ab c", TRect{0, 0, 5, 0}, 0, 0, 0).fDrawn,
            (Lines{"0,0 \"a\"", "0,15 \"b\"", "0,30 \" \"", "0,45 \"c\""}));
  // Negative usable width.
  const TLaidOut r = Lay(u"abc", TRect{100, 0, 90, 0}, 0, 0, 0);
  EXPECT_EQ(r.fDrawn, (Lines{"100,0 \"a\"", "100,15 \"b\"", "100,30 \"c\""}));
  EXPECT_EQ(r.fHeight, 45);
  EXPECT_EQ(Lay(u"", TRect{0, 0, 0, 0}).fHeight, 18);
  EXPECT_EQ(Lay(u"ab", TRect{0, 0, 0, 0}, 3, 1, 0).fDrawn,
            (Lines{"0,0 \"a\"", "0,15 \"b\"", "0,30 \"\" BU"}));
}

TEST(DrawWrapped, SegmentOfNoWidthTakesNoLineOfItsOwn) {
  TFakeCanvas canvas;
  canvas.fWidths[u'\u200B'] = 0;
  const TLaidOut r =
      Lay(u"\u200B"
          u"abc",
          Wide(), 1, 1, 0, canvas);
  EXPECT_EQ(r.fCanvas.fDrawn.size(), 2u);
  EXPECT_EQ(r.fHeight, 15);
}

// Random texts, spans, widths and styles: the layout's invariants, checked against the
// recording canvas.
TEST(DrawWrappedProperty, InvariantsHoldForRandomLayouts) {
  std::mt19937 rng(20240611);
  auto pick = [&](std::uint32_t n) { return std::uint32_t(rng() % n); };
  // Half the rounds without separators, so that long words are broken too.
  const TText alphabets[] = {u"abcWi ;,\\/-\t\n\r\u200B", u"abcWi\u200B"};
  const TFontStyles entryStyles[] = {fsNone, fsBold, fsItalic | fsUnderline};
  const TFontStyles emphStyles[] = {kEmph, fsItalic, fsBold, fsStrikeOut | fsUnderline};
  auto blank = [](char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r'; };

  for (int round = 0; round < 4000 && !HasFailure(); ++round) {
    const TText& alphabet = alphabets[round % 2];
    TText text;
    for (std::uint32_t n = pick(45); n > 0; --n)
      text += alphabet[pick(std::uint32_t(alphabet.size()))];
    const std::int32_t size = std::int32_t(text.size());
    const std::int32_t start = std::int32_t(pick(std::uint32_t(size) + 4)) - 1;
    const std::int32_t len = std::int32_t(pick(std::uint32_t(size) + 4)) - 1;
    TRect rect;
    rect.fLeft = std::int32_t(pick(20));
    rect.fTop = std::int32_t(pick(20));
    rect.fRight = rect.fLeft + std::int32_t(pick(130)) - 10;
    const std::int32_t minHeight = std::int32_t(pick(40));
    const TFontStyles emph = emphStyles[pick(4)];

    TFakeCanvas canvas;
    canvas.fWidths = {{u'W', 12}, {u'i', 3}, {u' ', 4}, {u'\t', 40}, {u'\u200B', 0}};
    canvas.fStyle = entryStyles[pick(3)];
    const std::int32_t lineHeight = (HasStyle(canvas.fStyle, fsBold) ? 14 : 13) + 2;
    TFakeCanvas measure = canvas;
    SCOPED_TRACE("round " + std::to_string(round) + ": \"" + ToUtf8(text) + "\" start " +
                 std::to_string(start) + " len " + std::to_string(len) + " width " +
                 std::to_string(rect.fRight - rect.fLeft));

    const std::int32_t measured =
        DrawWrapped(false, measure, rect, text, WordSeparators, start, len, minHeight, emph);
    const std::int32_t painted =
        DrawWrapped(true, canvas, rect, text, WordSeparators, start, len, minHeight, emph);
    EXPECT_EQ(measured, painted);
    EXPECT_TRUE(measure.fDrawn.empty());
    EXPECT_EQ(canvas.fStyle, fsNone);
    ASSERT_FALSE(canvas.fDrawn.empty());

    const bool hasSpan = start > 0 && len > 0;
    const std::size_t spanBegin = hasSpan ? std::min<std::size_t>(text.size(), start - 1) : 0;
    const std::size_t spanEnd =
        hasSpan ? std::min<std::size_t>(text.size(), spanBegin + std::size_t(len)) : 0;
    const std::int64_t usable = std::int64_t(rect.fRight) - rect.fLeft - 1;

    std::size_t pos = 0;
    std::int32_t nextX = rect.fLeft, lineY = rect.fTop;
    for (const TDrawn& d : canvas.fDrawn) {
      // Every character once, in order.
      for (char16_t c : d.fText) {
        ASSERT_LT(pos, text.size());
        EXPECT_TRUE(c == text[pos] || (blank(text[pos]) && c == u' '));
        ++pos;
      }
      // The span's characters emphasised, no other; an empty drawing is an empty span's.
      const std::size_t first = pos - d.fText.size();
      if (d.fText.empty()) {
        EXPECT_TRUE(hasSpan ? spanBegin == spanEnd : text.empty());
        EXPECT_EQ(d.fStyle, hasSpan ? emph : fsNone);
      } else {
        const bool inSpan = hasSpan && first >= spanBegin && first < spanEnd;
        EXPECT_EQ(inSpan, hasSpan && pos - 1 >= spanBegin && pos - 1 < spanEnd);
        EXPECT_EQ(d.fStyle, inSpan ? emph : fsNone);
      }
      // Lines follow one another; on a line the drawings follow one another.
      if (d.fY != lineY) {
        EXPECT_EQ(d.fY, lineY + lineHeight);
        EXPECT_EQ(d.fX, rect.fLeft);
        lineY = d.fY;
      } else {
        EXPECT_EQ(d.fX, nextX);
      }
      const std::int32_t w = canvas.WidthIn(d.fText, d.fStyle);
      nextX = d.fX + w;
      const std::int64_t right = std::int64_t(d.fX) - rect.fLeft + w;
      EXPECT_TRUE(right <= std::max<std::int64_t>(usable, 0) ||
                  (d.fText.size() == 1 && d.fX == rect.fLeft));
    }
    EXPECT_EQ(pos, text.size());
    EXPECT_EQ(painted, std::max(minHeight, lineY - rect.fTop + lineHeight));
  }
}

}  // namespace
}  // namespace corvane
