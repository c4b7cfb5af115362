// The number rule (when a text reads as a 32-bit number) and the number form of data.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace corvane {

// True when s reads as a number: spaces (U+0020), an optional sign, then decimal digits in
// the signed 32-bit range or a hexadecimal prefix ("$", "x", "X", "0x", "0X") and digits that
// fit in 32 bits (taken as a bit pattern, negated by "-"). Nothing may follow the digits.
[[nodiscard]] bool ReadsAsNumber(TTextView s, std::int32_t& value);

// "0x" + eight upper-case hexadecimal digits + " (" + unsigned decimal + ")".
TText NumberForm(std::uint32_t n);

}  // namespace corvane
