// A key's last-write time as the user reads it (Windows only): local time in the user's
// locale's short date and long time forms.
#pragma once

#include <cstdint>

#include "text/text.h"

namespace corvane {

// "unknown" for 0 (a backend that keeps no times).
TText LocalTimeText(std::uint64_t vFileTime);

}  // namespace corvane
