// The Win32 boundary for text: wchar_t is 16 bits there, so TText converts without copying
// code units. Windows-only code includes this; the portable side never sees wchar_t.
#pragma once

#include <cstddef>
#include <cwchar>

#include "text/text.h"

namespace corvane {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* W(const TText& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline const wchar_t* W(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
// A zero-terminated wide text; empty for nullptr.
inline TText FromW(const wchar_t* s) {
  return s ? TText(reinterpret_cast<const char16_t*>(s), std::wcslen(s)) : TText();
}
inline TText FromW(const wchar_t* s, std::size_t n) {
  return TText(reinterpret_cast<const char16_t*>(s), n);
}

}  // namespace corvane
