// The locale-aware case-insensitive comparison, as a seam: CompareStringW with the user's
// default locale on Windows, a simple case-folding comparison elsewhere.
#pragma once

#include "text/text.h"

namespace corvane {

class TLocaleCompare {
 public:
  virtual ~TLocaleCompare() = default;
  // <0, 0, >0; case ignored by the locale's rules.
  virtual int Compare(TTextView a, TTextView b) const = 0;
  bool Same(TTextView a, TTextView b) const { return Compare(a, b) == 0; }
};

// Case folding of ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic letters, then code
// order.
class TFoldCompare final : public TLocaleCompare {
 public:
  int Compare(TTextView a, TTextView b) const override { return CompareFoldWide(a, b); }
};

// The platform's comparison: the Win32 one on Windows, TFoldCompare elsewhere.
const TLocaleCompare& PlatformCompare();

}  // namespace corvane
