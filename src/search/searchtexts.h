// The texts that tell how far a search has come and how it ended, shown by the window and
// printed by corvane-find.
#pragma once

#include <cstdint>

#include "search/types.h"
#include "text/text.h"

namespace corvane {

// "Found %d items" with "(the maximum)" or "before being stopped" as the status says; when
// vTooCostly > 0, followed by ". N values were too costly to match and were skipped".
TText EndText(TStatus vStatus, std::int32_t vCount, std::int32_t vTooCostly = 0);
// "Hits: %d, Keys searched: %d".
TText ProgressText(std::int32_t vTotal, std::int32_t vCount);

}  // namespace corvane
