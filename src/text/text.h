// UTF-16 text helpers shared by the whole portable side. Positions count from 1; 0 means
// "not found".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace corvane {

using TText = std::u16string;
using TTextView = std::u16string_view;

// The letters a to z turned into A to Z; every other character keeps its code.
inline char16_t FoldAZ(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
// The letters A to Z turned into a to z; every other character keeps its code.
inline char16_t LowerAZ(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

// 0 to 15 for a hexadecimal digit (0-9, a-f, A-F); -1 for any other character.
inline int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

TText FoldAZ(TTextView s);
TText LowerAZ(TTextView s);

// Position (from 1) of the first occurrence of sub in s; 0 when absent. An empty sub occurs
// nowhere.
std::int32_t Pos(TTextView sub, TTextView s);

// Simple case folding beyond ASCII (Latin-1, Latin Extended-A, Greek, Cyrillic), used by the
// in-memory registry for key names and by the portable stand-in for the locale comparison.
char16_t FoldWide(char16_t c);
// <0, 0, >0 comparing a and b with FoldWide applied to both.
int CompareFoldWide(TTextView a, TTextView b);

// Conversions at the edges (console output, files, tests). Invalid input becomes U+FFFD.
std::string ToUtf8(TTextView s);
// The code units of s that ToUtf8 turns into U+FFFD: surrogates that are not part of a pair.
std::size_t UnpairedSurrogates(TTextView s);
TText FromUtf8(std::string_view s);
// A number in decimal digits.
// A whole number in decimal digits, with a minus sign when negative: the one way numbers
// become text in the program's messages, settings and files.
template <typename N, typename = std::enable_if_t<std::is_integral_v<N>>>
TText DecimalText(N v) {
  return FromUtf8(std::to_string(v));
}

}  // namespace corvane
