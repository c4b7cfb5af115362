// Reading the settings file (a Windows profile file) through a seam, with our own parsing of
// the number forms the settings use.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace corvane {

// One profile file, opened by name.
class TProfile {
 public:
  virtual ~TProfile() = default;
  // The text of vKey in vSection; empty when the file, section or key is missing.
  virtual TText ReadString(TTextView vSection, TTextView vKey) = 0;
  // Sets vKey of vSection to vValue; false when the file could not be written.
  virtual bool WriteString(TTextView vSection, TTextView vKey, TTextView vValue) = 0;
};

// True when vText is a settings number: an optional sign, then decimal digits in the signed
// 32-bit range, or "$", "0x" or "0X" and hexadecimal digits that fit in 32 bits (taken as a
// bit pattern, negated by "-"). Nothing else may stand before or after, not even a space.
[[nodiscard]] bool ParseProfileInt(TTextView vText, std::int32_t& vValue);

// The number stored under vKey; vDefault when it is missing or not a settings number.
std::int32_t ReadProfileInt(TProfile& vProfile, TTextView vSection, TTextView vKey,
                            std::int32_t vDefault);
// A flag stored as a number: any number other than 0 is true; vDefault when it is missing or
// not a number.
bool ReadProfileFlag(TProfile& vProfile, TTextView vSection, TTextView vKey, bool vDefault);

}  // namespace corvane
